// Browser tests of the page that `scenario view` writes, in the system's Chromium driven by
// puppeteer-core: the package's scenario and the longest route, against what `scenario dump`
// decodes from the same compile.
//
//   node prova.js --tool PATH/scenario --lungo PATH/percorso_lungo --out FOLDER [--bench]
//
// --lungo may also name a folder that holds linea_lunga.txt and treno_lungo.txt.
// Exit status 0 passed, 1 failed, 77 skipped (no Chromium or no puppeteer-core). The timings are
// printed and written to FOLDER/tempi.json; with --bench only the longest route is measured, and
// a target missed is a failure (first picture 1 s, median zoom or pan step 16 ms, file 8 MB).
"use strict";

const fs = require("fs");
const path = require("path");
const { execFileSync } = require("child_process");

const CHROMIUM = process.env.VISTA_CHROMIUM || "/usr/bin/chromium";
const SALTA = 77;

function argomento(nome) {
  const i = process.argv.indexOf(nome);
  return i > 0 ? process.argv[i + 1] : undefined;
}
const strumento = argomento("--tool"), generatore = argomento("--lungo"), uscita = argomento("--out");
const soloBanco = process.argv.includes("--bench");
if (!strumento || !generatore || !uscita) {
  console.error("usage: node prova.js --tool PATH --lungo PATH --out FOLDER [--bench]");
  process.exit(3);
}
if (!fs.existsSync(CHROMIUM)) {
  console.log("skipped: no Chromium at " + CHROMIUM);
  process.exit(SALTA);
}
let puppeteer;
try {
  puppeteer = require("puppeteer-core");
} catch (e) {
  console.log("skipped: puppeteer-core is not installed (npm ci in tests/vista)");
  process.exit(SALTA);
}

let falliti = 0;
function verifica(condizione, cosa, dettagli) {
  if (condizione) { console.log("ok   " + cosa); return; }
  ++falliti;
  console.log("FAIL " + cosa + (dettagli === undefined ? "" : ": " + JSON.stringify(dettagli)));
}
function esegui(...args) { return execFileSync(strumento, args, { encoding: "utf8", maxBuffer: 256 << 20 }); }
function dumpJson(file) { return JSON.parse(esegui("dump", file, "--json")); }

// Compiles the sources into a folder and writes the view from the same sources; what dump says.
function prepara(nome, linea, treno, percorso, nomeTreno) {
  const cartella = path.join(uscita, nome);
  fs.rmSync(cartella, { recursive: true, force: true });
  const nomi = percorso ? ["--route", percorso, "--train-name", nomeTreno] : [];
  esegui("compile", "--line", linea, "--train", treno, "--out", cartella, ...nomi);
  const base = fs.readdirSync(cartella).find((f) => f.endsWith(".sim")).replace(/\.sim$/, "");
  const celle = dumpJson(path.join(cartella, base + ".dat"));
  const tabella = dumpJson(path.join(cartella, base + ".sim"));
  const pagina = path.join(uscita, nome + ".html");
  esegui("view", "--line", linea, "--train", treno, "--out", pagina, ...nomi);
  return {
    pagina,
    byte: fs.statSync(pagina).size,
    segnali: celle.counts.signal || 0,
    rallentamenti: celle.slowdowns.length,
    stazioni: tabella.entries.filter((e) => e.role === "station").length,
  };
}

async function apri(browser, pagina) {
  const p = await browser.newPage();
  await p.setViewport({ width: 1400, height: 1100 });
  const errori = [];
  p.on("pageerror", (e) => errori.push(String(e)));
  p.on("request", (r) => { if (!r.url().startsWith("file:")) errori.push("fetched " + r.url()); });
  await p.goto(require("url").pathToFileURL(path.resolve(pagina)).href, { waitUntil: "load" });
  await p.waitForFunction(() => window.vista && window.vista.tempi.primo !== null, { timeout: 20000 });
  return { p, errori };
}
const dopoDisegno = (p) => p.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));
async function tela(p) { return p.evaluate(() => { const b = document.getElementById("tela").getBoundingClientRect(); return { x: b.left, y: b.top }; }); }
async function regione(p, id) {
  return p.evaluate((id) => window.vista.punto(0).regioni.find((r) => r.id === id || r.tipo === id), id);
}

function conteggiUguali(p, atteso, nome) {
  return p.evaluate(() => window.vista.conteggi).then((c) => {
    verifica(c.stazioni === atteso.stazioni, nome + ": stations as dump", { pagina: c.stazioni, dump: atteso.stazioni });
    verifica(c.segnali === atteso.segnali, nome + ": signals as dump", { pagina: c.segnali, dump: atteso.segnali });
    verifica(c.rallentamenti === atteso.rallentamenti, nome + ": slowdowns as dump", { pagina: c.rallentamenti, dump: atteso.rallentamenti });
  });
}

// Hovering a station with a stop shows its name and the FILE:LINE of its row.
async function passaSuStazione(p, nome) {
  const st = await p.evaluate(() => { const d = JSON.parse(document.getElementById("dati").textContent); return d.stazioni.find((s) => s.fermata && s.o); });
  verifica(!!st, nome + ": a station with its placing row");
  if (!st) return;
  await p.evaluate((m) => window.vista.vai(m, 4000), st.m);
  await dopoDisegno(p);
  const t = await tela(p), r = await regione(p, "stazioni"), x = await p.evaluate((m) => window.vista.punto(m).x, st.m);
  await p.mouse.move(t.x + x, t.y + r.y + r.h - 7);
  const testo = await p.$eval("#suggerimento", (e) => (e.hidden ? "" : e.textContent));
  verifica(testo.includes(st.nome), nome + ": hover shows the station's name", testo);
  verifica(/\.txt:\d+/.test(testo) && testo.includes(st.o), nome + ": hover shows the FILE:LINE of its row", testo);
}

// The search goes to a station's post and to a typed post.
async function cerca(p, nome, stazione) {
  await p.click("#cerca", { clickCount: 3 });
  await p.type("#cerca", stazione.nome);
  await p.keyboard.press("Enter");
  await dopoDisegno(p);
  let s = await p.evaluate(() => window.vista.stato());
  verifica(Math.abs(s.centro - stazione.m) < 1, nome + ": search '" + stazione.nome + "' goes to its post", { centro: s.centro, m: stazione.m });
  await p.click("#cerca", { clickCount: 3 });
  await p.type("#cerca", "km 36+200");
  await p.keyboard.press("Enter");
  await dopoDisegno(p);
  s = await p.evaluate(() => ({ ...window.vista.stato(), posto: window.vista.posto(window.vista.stato().centro) }));
  verifica(Math.abs(s.posto - 36200) < 1, nome + ": search 'km 36+200' goes to that post", s);
}

// The address fragment sets the stretch shown, and the wheel zooms about the pointer.
async function zoom(p, nome) {
  await p.evaluate(() => { location.hash = "#km=36.2&span=5"; });
  await p.waitForFunction(() => Math.abs(window.vista.stato().span - 5000) < 1);
  await dopoDisegno(p);
  const s = await p.evaluate(() => ({ ...window.vista.stato(), posto: window.vista.posto(window.vista.stato().centro) }));
  verifica(Math.abs(s.posto - 36200) < 1 && Math.abs(s.span - 5000) < 1, nome + ": #km=36.2&span=5 shows that stretch", s);
  const t = await tela(p), r = await regione(p, "profilo");
  const x = await p.evaluate(() => window.vista.punto(window.vista.stato().centro).x);
  await p.mouse.move(t.x + x, t.y + r.y + 20);
  await p.mouse.wheel({ deltaY: -300 });
  await dopoDisegno(p);
  const z = await p.evaluate(() => window.vista.stato());
  verifica(z.span < 5000 && z.da < s.centro && z.a > s.centro, nome + ": the wheel zooms in about the pointer", z);
  await p.waitForFunction((span) => location.hash.includes("span=" + +(span / 1000).toFixed(3)), {}, z.span);
  verifica(true, nome + ": the address follows the view");
  await p.focus("#tela");
  await p.keyboard.press("ArrowRight");
  await dopoDisegno(p);
  const k = await p.evaluate(() => window.vista.stato());
  verifica(Math.abs(k.da - z.da - z.span / 8) < 1 && Math.abs(k.span - z.span) < 1e-6, nome + ": the arrow key pans an eighth", { prima: z, dopo: k });
  // A layer switched off leaves the picture.
  await p.click('input[data-strato="segnali"]');
  await dopoDisegno(p);
  verifica(!(await regione(p, "segnali")), nome + ": the signals' layer switches off");
  await p.click('input[data-strato="segnali"]');
  await dopoDisegno(p);
  verifica(!!(await regione(p, "segnali")), nome + ": and on again");
}

// The running model's layer, from the sources: it has its switch, and the speeds it draws, taken
// over each cell at the mean of its two ends, give the model's times of `scenario timetable`.
async function marcia(p, nome, linea, treno) {
  verifica(!!(await p.$('input[data-strato="marcia"]')), nome + ": the running model's layer has its switch");
  const v = await p.evaluate(() => JSON.parse(document.getElementById("dati").textContent).marcia.kmh10);
  const st = JSON.parse(esegui("timetable", "--json", "--line", linea, "--train", treno)).stations;
  let confrontate = 0;
  for (const x of st) {
    if (x.time === null || x.model_s === null) continue;
    const da = st.find((s) => s.entry === x.from_entry);
    let t = 0;
    for (let k = da.position / 50 + 1; k < x.position / 50 + 1; ++k) t += 50 / ((v[k] + v[k + 1]) / 2 / 36);
    verifica(Math.abs(t - x.model_s) < 0.001 * x.model_s, nome + ": the layer's speeds take " + x.name + " " + x.model_s + " s after the last time",
      { pagina: t, timetable: x.model_s });
    if (x.stop) verifica(await p.evaluate((m) => window.vista.velocitaMarcia(m), x.position) === 0, nome + ": standing at " + x.name);
    ++confrontate;
  }
  verifica(confrontate >= 5, nome + ": stations with a time compared", confrontate);
}

// 50 wheel steps and 50 drag steps from the whole route; the page times each drawing.
async function tempi(p) {
  await p.evaluate(() => { window.vista.vai(0, Infinity); window.vista.tempi.passi.length = 0; });
  await dopoDisegno(p);
  const t = await tela(p), r = await regione(p, "profilo");
  const y = t.y + r.y + 30;
  await p.mouse.move(t.x + 700, y);
  for (let i = 0; i < 50; ++i) {
    await p.mouse.wheel({ deltaY: i < 35 ? -240 : 240 });
    await dopoDisegno(p);
  }
  for (let i = 0; i < 50; ++i) {
    await p.mouse.move(t.x + 700, y);
    await p.mouse.down();
    await p.mouse.move(t.x + 700 + (i % 2 ? -60 : 60), y);
    await p.mouse.up();
    await dopoDisegno(p);
  }
  const passi = await p.evaluate(() => window.vista.tempi.passi.slice());
  const ordinati = passi.slice().sort((a, b) => a - b);
  return { passi: passi.length, mediana: ordinati[Math.floor(ordinati.length / 2)], peggiore: ordinati[ordinati.length - 1] };
}

async function principale() {
  fs.mkdirSync(uscita, { recursive: true });
  // The longest route's sources: a folder that holds them already (the bench writes them), or
  // the program that writes them.
  let cartellaLunga = generatore;
  if (!fs.statSync(generatore).isDirectory()) {
    cartellaLunga = path.join(uscita, "sorgenti_lunghe");
    execFileSync(generatore, [cartellaLunga]);
  }
  const browser = await puppeteer.launch({
    executablePath: CHROMIUM,
    headless: true,
    userDataDir: fs.mkdtempSync(path.join(require("os").tmpdir(), "vista-chromium-")),
    args: ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run", "--disable-background-networking",
      "--disable-component-update", "--disable-sync"],
  });
  const misure = {};
  try {
    if (!soloBanco) {
      const sorgenti = path.join(uscita, "sorgenti_pacchetto");
      fs.rmSync(sorgenti, { recursive: true, force: true });
      esegui("sources", "--out", sorgenti);
      const pac = prepara("pacchetto", path.join(sorgenti, "Valmarena_linea.txt"), path.join(sorgenti, "Valmarena_RX 914-.txt"));
      const { p, errori } = await apri(browser, pac.pagina);
      await conteggiUguali(p, pac, "package");
      await passaSuStazione(p, "package");
      await marcia(p, "package", path.join(sorgenti, "Valmarena_linea.txt"), path.join(sorgenti, "Valmarena_RX 914-.txt"));
      const stazione = await p.evaluate(() => JSON.parse(document.getElementById("dati").textContent).stazioni[5]);
      await cerca(p, "package", stazione);
      await zoom(p, "package");
      await p.evaluate(() => { location.hash = "#km=30&span=40"; });
      await p.waitForFunction(() => Math.abs(window.vista.stato().span - 40000) < 1);
      await dopoDisegno(p);
      await p.screenshot({ path: path.join(uscita, "vista.png") });
      verifica(errori.length === 0, "package: no script error and nothing fetched", errori);
      await p.close();
    }
    const lungo = prepara("lungo", path.join(cartellaLunga, "linea_lunga.txt"), path.join(cartellaLunga, "treno_lungo.txt"), "Lungo", "T");
    const { p, errori } = await apri(browser, lungo.pagina);
    misure.primo_disegno_ms = await p.evaluate(() => window.vista.tempi.primo);
    misure.byte = lungo.byte;
    if (!soloBanco) {
      await conteggiUguali(p, lungo, "longest route");
      await passaSuStazione(p, "longest route");
    }
    Object.assign(misure, await tempi(p));
    verifica(misure.passi >= 100, "longest route: 100 steps drawn", misure.passi);
    verifica(errori.length === 0, "longest route: no script error and nothing fetched", errori);
    await p.screenshot({ path: path.join(uscita, "vista_lunga.png") });
    await p.close();
  } finally {
    await browser.close();
  }
  console.log("longest route: first picture " + misure.primo_disegno_ms.toFixed(0) + " ms after opening, median zoom/pan step " +
    misure.mediana.toFixed(2) + " ms (worst " + misure.peggiore.toFixed(2) + " ms, " + misure.passi + " steps), file " +
    (misure.byte / 1e6).toFixed(2) + " MB");
  fs.writeFileSync(path.join(uscita, "tempi.json"), JSON.stringify(misure, null, 2) + "\n");
  if (soloBanco) {
    verifica(misure.primo_disegno_ms <= 1000, "target: first picture within 1 s", misure.primo_disegno_ms);
    verifica(misure.mediana <= 16, "target: median step within 16 ms", misure.mediana);
    verifica(misure.byte <= 8 * 1024 * 1024, "target: file at most 8 MB", misure.byte);
  }
  return falliti === 0 ? 0 : 1;
}

principale().then((s) => process.exit(s), (e) => { console.error(e); process.exit(1); });
