-- Neovim, headless, as an author's editor: opens a train file with a mistake, attaches
-- `scenario lsp`, waits for the diagnostics and checks them, then asks for hover on a station row.
-- SCENARIO is the tool, CARTELLA the scenario's folder; any failure ends Neovim with status 1.
local scenario, cartella = os.getenv('SCENARIO'), os.getenv('CARTELLA')

local function fallisce(cosa)
  io.stderr:write('FAIL: ' .. cosa .. '\n')
  vim.cmd('cquit 1')
end

vim.cmd('edit ++enc=cp1252 ' .. vim.fn.fnameescape(cartella .. '/Prova_T1-.txt'))
local buf = vim.api.nvim_get_current_buf()
local pubblicate = false
local client = vim.lsp.start_client({
  name = 'scenario',
  cmd = { scenario, 'lsp' },
  root_dir = cartella,
  handlers = {
    ['textDocument/publishDiagnostics'] = function(err, res, ctx, cfg)
      vim.lsp.diagnostic.on_publish_diagnostics(err, res, ctx, cfg)
      if res.uri == vim.uri_from_bufnr(buf) then pubblicate = true end
    end,
  },
})
if not client then fallisce('the server did not start') end
vim.lsp.buf_attach_client(buf, client)
if not vim.wait(10000, function() return pubblicate end, 20) then fallisce('no diagnostics') end

local d = vim.diagnostic.get(buf)
if #d ~= 1 then fallisce('expected one diagnostic, got ' .. #d) end
-- "segnale,    1075,": line 17 of the file (0-based 16), the position field.
if d[1].lnum ~= 16 or d[1].col ~= 12 then fallisce('diagnostic at ' .. d[1].lnum .. ':' .. d[1].col) end
if not d[1].message:find('1075 m, not a multiple of 50', 1, true) then fallisce('message: ' .. d[1].message) end
print('diagnostic ' .. (d[1].lnum + 1) .. ':' .. (d[1].col + 1) .. ' ' .. d[1].message)

local risposte = vim.lsp.buf_request_sync(buf, 'textDocument/hover', {
  textDocument = { uri = vim.uri_from_bufnr(buf) },
  position = { line = 10, character = 2 },
}, 5000)
local testo = ''
for _, r in pairs(risposte or {}) do
  if r.result and r.result.contents then testo = r.result.contents.value end
end
if not testo:find('**stazione**: a station', 1, true) then fallisce('hover: ' .. testo) end
print('hover ' .. testo:sub(1, 60))
vim.lsp.stop_client(client)
vim.cmd('qall!')
