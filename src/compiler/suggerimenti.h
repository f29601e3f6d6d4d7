// "Did you mean": the nearest of a few known words to one that matched none, for row keywords,
// the tool's commands and the rows `explain` is asked about.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "formato.h"

namespace valmarena {

// The edit distance between two words, letter case ignored (insertions, deletions, changes and
// swaps of two neighbours count one each).
std::size_t distanza(std::string_view a, std::string_view b);

// The candidate nearest to `parola` when it is near enough to be what was meant (one edit for a
// short word, two from six letters on); empty otherwise.
std::string piu_vicina(std::string_view parola, const std::vector<std::string>& candidati);

// For a keyword token that matched no row of its file (and section): "did you mean 'X'?", with
// why it did not match when it is a matter of letter case or of a missing word; empty when no
// row is near.
std::string forse_intendevi(file_righe f, bool generale, std::string_view token);

}  // namespace valmarena
