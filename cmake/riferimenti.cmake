# Runs the tool's hidden `_reference` command once per file: the manual page and the three
# completion scripts, into CARTELLA. Called by the build with STRUMENTO and CARTELLA set.
file(MAKE_DIRECTORY "${CARTELLA}")
foreach(voce IN ITEMS "man=scenario.1" "bash=scenario.bash" "zsh=_scenario" "fish=scenario.fish")
  string(REPLACE "=" ";" coppia "${voce}")
  list(GET coppia 0 genere)
  list(GET coppia 1 nome)
  execute_process(COMMAND "${STRUMENTO}" _reference ${genere} OUTPUT_FILE "${CARTELLA}/${nome}.nuovo"
                  RESULT_VARIABLE stato)
  if(NOT stato EQUAL 0)
    message(FATAL_ERROR "scenario _reference ${genere} failed: ${stato}")
  endif()
  file(RENAME "${CARTELLA}/${nome}.nuovo" "${CARTELLA}/${nome}")
endforeach()
