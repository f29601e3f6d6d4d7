// Starts `scenario lsp` for the line and train files.
const vscode = require('vscode');
const { LanguageClient } = require('vscode-languageclient/node');

let client;

function activate(context) {
  const config = vscode.workspace.getConfiguration('valmarenaScenario');
  const command = config.get('path') || 'scenario';
  const serverOptions = { command, args: ['lsp'] };
  const clientOptions = {
    documentSelector: [
      { scheme: 'file', language: 'valmarena-linea' },
      { scheme: 'file', language: 'valmarena-treno' },
    ],
    initializationOptions: { strict: config.get('strict') === true },
  };
  client = new LanguageClient('valmarenaScenario', 'Scenario sources', serverOptions, clientOptions);
  context.subscriptions.push({ dispose: () => client && client.stop() });
  return client.start();
}

function deactivate() {
  return client ? client.stop() : undefined;
}

module.exports = { activate, deactivate };
