// The route view: the plan, the feature lanes and the profiles of one compiled scenario on one
// axis along the route, drawn on a canvas from the data the tool put into this page.
"use strict";

(function () {
  const D = JSON.parse(document.getElementById("dati").textContent);
  const L = Math.max(D.lunghezza, 50);
  const celle = D.celle;

  // ---- kilometre posts: the tool gives the post at every change of reckoning ----
  const kmM = [], kmK = [];
  for (let i = 0; i + 1 < D.km.length; i += 2) { kmM.push(D.km[i]); kmK.push(D.km[i + 1]); }
  if (kmM.length === 0) { kmM.push(0); kmK.push(0); }
  function pezzo(m) {
    let lo = 0, hi = kmM.length - 1;
    while (lo < hi) { const mid = (lo + hi + 1) >> 1; if (kmM[mid] <= m) lo = mid; else hi = mid - 1; }
    return lo;
  }
  function posto(m) { const i = pezzo(m); return kmK[i] + (m - kmM[i]); }
  // The first route position with post k, or null.
  function metriDelPosto(k) {
    for (let i = 0; i < kmM.length; ++i) {
      const da = kmM[i], a = i + 1 < kmM.length ? kmM[i + 1] : L;
      const m = da + (k - kmK[i]);
      if (m >= da && m <= a) return m;
    }
    return null;
  }
  function testoKm(k) {
    const neg = k < 0, a = Math.abs(Math.round(k));
    return "km " + (neg ? "-" : "") + Math.floor(a / 1000) + "+" + String(a % 1000).padStart(3, "0");
  }
  function testoMetri(m) { return Math.round(m) + " m"; }

  // ---- cells: a point feature of cell c stands at (c - 1) * 50 ----
  const metriCella = (c) => (c - 1) * 50;
  const cellaDi = (m) => Math.floor(m / 50) + 1;

  // Minimum and maximum of a profile over blocks of 2^k cells, computed once; a null (no value)
  // counts in neither.
  function piramide(valori) {
    const livelli = [{ min: Int16Array.from(valori, (v) => (v === null ? 32767 : v)),
      max: Int16Array.from(valori, (v) => (v === null ? -32768 : v)) }];
    while (livelli[livelli.length - 1].min.length > 1) {
      const p = livelli[livelli.length - 1], n = Math.ceil(p.min.length / 2);
      const min = new Int16Array(n), max = new Int16Array(n);
      for (let i = 0; i < n; ++i) {
        const a = 2 * i, b = Math.min(2 * i + 1, p.min.length - 1);
        min[i] = Math.min(p.min[a], p.min[b]);
        max[i] = Math.max(p.max[a], p.max[b]);
      }
      livelli.push({ min, max });
    }
    return livelli;
  }
  // Min and max over cells c1..c2 (inclusive): the largest aligned blocks that lie inside the
  // range, so a few blocks answer for any number of cells and no cell outside is counted.
  function estremi(pir, c1, c2, out) {
    let lo = Infinity, hi = -Infinity, c = c1;
    c2 = Math.min(c2, pir[0].min.length - 1);
    while (c <= c2) {
      let k = 0;
      while (k + 1 < pir.length && c % (2 << k) === 0 && c + (2 << k) - 1 <= c2) ++k;
      const l = pir[k], b = c >> k;
      if (l.min[b] < lo) lo = l.min[b];
      if (l.max[b] > hi) hi = l.max[b];
      c += 1 << k;
    }
    out[0] = lo; out[1] = hi;
    return lo <= hi;
  }

  // ---- track plan: points every `passo` metres, thinned by 4 at each level ----
  const pianta = D.pianta ? preparaPianta(D.pianta) : null;
  function preparaPianta(p) {
    const n = p.x.length, X = new Float64Array(n), Y = new Float64Array(n);
    let xmin = Infinity, xmax = -Infinity, ymin = Infinity, ymax = -Infinity;
    for (let i = 0; i < n; ++i) {
      const x = p.x[i], y = p.y[i];
      X[i] = x === null ? NaN : x / 10; Y[i] = y === null ? NaN : y / 10;
      if (x !== null && y !== null && i * p.passo <= L) {
        xmin = Math.min(xmin, X[i]); xmax = Math.max(xmax, X[i]); ymin = Math.min(ymin, Y[i]); ymax = Math.max(ymax, Y[i]);
      }
    }
    const livelli = [{ passo: p.passo, X, Y }];
    while (livelli[livelli.length - 1].X.length > 2000) {
      const q = livelli[livelli.length - 1], m = Math.ceil(q.X.length / 4);
      const x2 = new Float64Array(m), y2 = new Float64Array(m);
      for (let i = 0; i < m; ++i) { x2[i] = q.X[Math.min(4 * i, q.X.length - 1)]; y2[i] = q.Y[Math.min(4 * i, q.Y.length - 1)]; }
      livelli.push({ passo: q.passo * 4, X: x2, Y: y2 });
    }
    return { livelli, valida: isFinite(xmin), xmin, xmax, ymin, ymax };
  }
  // The plan point at route metre m, interpolated; null where the plan has none.
  function puntoPianta(m) {
    const l = pianta.livelli[0], f = m / l.passo, i = Math.floor(f);
    if (i < 0 || i >= l.X.length) return null;
    const j = Math.min(i + 1, l.X.length - 1), t = f - i;
    const x = l.X[i] + (l.X[j] - l.X[i]) * t, y = l.Y[i] + (l.Y[j] - l.Y[i]) * t;
    if (isNaN(x) || isNaN(y)) return isNaN(l.X[i]) ? null : [l.X[i], l.Y[i]];
    return [x, y];
  }

  // ---- features ----
  const NOMI_TIPO = { 1: "signal", 2: "slowdown end", 3: "slowdown start", 4: "warning point", 5: "numbered cell", 6: "board",
    10: "stopping point", 11: "mountain marker", 12: "abatement point", 13: "abatement point without value", 14: "signboard" };
  function corsia(filtro) {
    const el = D.elementi.filter((e) => filtro(e[1]));
    return { el, m: Float64Array.from(el, (e) => metriCella(e[0])) };
  }
  const segnali = corsia((t) => t === 1), indicatori = corsia((t) => t === 6);
  const abbattimenti = corsia((t) => t === 12 || t === 13), cartelli = corsia((t) => t === 14);
  const stazioni = D.stazioni, mStazioni = Float64Array.from(stazioni, (s) => s.m);
  const rall = D.rallentamenti, mRall = Float64Array.from(rall, (r) => metriCella(r.da));
  const perCella = new Map();
  for (const e of D.elementi) perCella.set(e[0], e);

  // The running model's speed at each cell's start, in tenths of km/h: from the sources only.
  const marcia = D.marcia ? { kmh10: D.marcia.kmh10, pir: piramide(D.marcia.kmh10) } : null;
  const profili = [
    { id: "pendenza", titolo: "gradient (\u2030)", colore: "#6a4c93", pir: piramide(D.pendenza), scala: "simmetrica" },
    { id: "velocita", titolo: "speed limit (km/h), slowdowns in orange" + (marcia ? ", the running model in magenta" : ""),
      colore: "#0f766e", pir: piramide(D.velocita), scala: "zero" },
    { id: "aderenza", titolo: "adhesion", colore: "#b45309", pir: piramide(D.aderenza), scala: "dati" },
  ];
  for (const p of profili) {
    const n = Math.min(celle, cellaDi(L) + 1), o = [0, 0];
    estremi(p.pir, 1, Math.max(n - 1, 1), o);  // cell 0 stands before the route
    let lo = o[0], hi = o[1];
    if (!(lo <= hi)) { lo = 0; hi = 1; }
    if (p.scala === "simmetrica") { const a = Math.max(Math.abs(lo), Math.abs(hi), 1); lo = -a; hi = a; }
    else if (p.scala === "zero") { lo = Math.min(lo, 0); hi = Math.max(hi, 1); }
    else if (hi <= lo) hi = lo + 1;
    p.lo = lo; p.hi = hi;
  }

  // ---- layout ----
  const CORSIE = [
    { id: "stazioni", titolo: "stations", h: 40 },
    { id: "segnali", titolo: "signals", h: 20 },
    { id: "rallentamenti", titolo: "slowdowns", h: 24 },
    { id: "indicatori", titolo: "boards", h: 18 },
    { id: "abbattimenti", titolo: "abatement", h: 18 },
    { id: "cartelli", titolo: "signboards", h: 18 },
    { id: "montagne", titolo: "mountains", h: 16 },
    { id: "ripetizione", titolo: "repetition", h: 16 },
    { id: "curve", titolo: "curves", h: 22 },
    { id: "riferimenti", titolo: "km refs", h: 18 },
  ];
  const visibile = {};
  for (const c of ["pianta", ...CORSIE.map((c) => c.id), ...profili.map((p) => p.id), "marcia"]) visibile[c] = true;
  const SIN = 96, DES = 12, ALTO_PIANTA = 280, ALTO_PROFILO = 96;
  let W = 800, H = 600, dpr = 1, regioni = [];

  function impagina() {
    regioni = [];
    let y = 4;
    if (visibile.pianta) { regioni.push({ tipo: "pianta", y, h: ALTO_PIANTA }); y += ALTO_PIANTA + 8; }
    for (const c of CORSIE) if (visibile[c.id]) { regioni.push({ tipo: "corsia", id: c.id, titolo: c.titolo, y, h: c.h }); y += c.h; }
    y += 6;
    for (const p of profili) if (visibile[p.id]) { regioni.push({ tipo: "profilo", p, y, h: ALTO_PROFILO }); y += ALTO_PROFILO + 6; }
    regioni.push({ tipo: "asse", y, h: 34 });
    return y + 34;
  }

  // ---- the view: the stretch [a0, a0 + w] of route metres ----
  const MIN_W = 200;
  let a0 = 0, w = L, asseKm = true;
  function limita() {
    w = Math.min(Math.max(w, MIN_W), L * 1.1);
    a0 = Math.min(Math.max(a0, -0.05 * L), L * 1.05 - w);
  }
  const largo = () => W - SIN - DES;
  const X = (m) => SIN + (m - a0) / w * largo();
  const M = (x) => a0 + (x - SIN) / largo() * w;

  const tela = document.getElementById("tela"), g = tela.getContext("2d");
  const sugg = document.getElementById("suggerimento");
  const tempi = { primo: null, passi: [] };

  function dimensiona() {
    dpr = window.devicePixelRatio || 1;
    W = Math.max(tela.parentElement.clientWidth, 400);
    H = impagina();
    tela.width = Math.round(W * dpr); tela.height = Math.round(H * dpr);
    tela.style.height = H + "px";
  }

  // ---- drawing ----
  function disegna() {
    const t0 = performance.now();
    g.setTransform(dpr, 0, 0, dpr, 0, 0);
    g.clearRect(0, 0, W, H);
    g.font = "11px 'DejaVu Sans', Arial, sans-serif";
    g.textBaseline = "middle";
    for (const r of regioni) {
      if (r.tipo === "pianta") disegnaPianta(r);
      else if (r.tipo === "corsia") disegnaCorsia(r);
      else if (r.tipo === "profilo") disegnaProfilo(r);
      else disegnaAsse(r);
    }
    const t1 = performance.now();
    if (tempi.primo === null) tempi.primo = t1; else tempi.passi.push(t1 - t0);
    if (tempi.passi.length > 1000) tempi.passi.splice(0, 500);
  }
  let chiesto = false;
  function ridisegna() {
    if (chiesto) return;
    chiesto = true;
    requestAnimationFrame(() => { chiesto = false; disegna(); });
  }

  function cornice(r, titolo) {
    g.fillStyle = "#ffffff"; g.fillRect(SIN, r.y, largo(), r.h);
    g.strokeStyle = "#e0e0d8"; g.lineWidth = 1; g.strokeRect(SIN + 0.5, r.y + 0.5, largo() - 1, r.h - 1);
    if (titolo) { g.fillStyle = "#505050"; g.textAlign = "right"; g.fillText(titolo, SIN - 6, r.y + r.h / 2); }
  }
  // Indices of the sorted metres `ms` that fall in the visible stretch, with a margin in pixels.
  function intervallo(ms, margine) {
    const da = M(SIN - margine), a = M(W - DES + margine);
    let lo = 0, hi = ms.length;
    while (lo < hi) { const mid = (lo + hi) >> 1; if (ms[mid] < da) lo = mid + 1; else hi = mid; }
    let fine = lo;
    while (fine < ms.length && ms[fine] <= a) ++fine;
    return [lo, fine];
  }
  function ritaglia(r) { g.save(); g.beginPath(); g.rect(SIN, r.y, largo(), r.h); g.clip(); }

  function disegnaPianta(r) {
    g.fillStyle = "#fbfbf8"; g.fillRect(0, r.y, W, r.h);
    g.strokeStyle = "#c8c8c0"; g.strokeRect(0.5, r.y + 0.5, W - 1, r.h - 1);
    g.fillStyle = "#202020"; g.textAlign = "left"; g.font = "bold 12px 'DejaVu Sans', Arial, sans-serif";
    g.fillText("Plan view", 8, r.y + 12);
    g.font = "11px 'DejaVu Sans', Arial, sans-serif";
    if (!pianta || !pianta.valida) { g.fillStyle = "#a00000"; g.fillText("no track plan", 8, r.y + 32); return; }
    // The shown stretch fills the panel, with the line around it for context.
    const da = Math.max(a0, 0), a = Math.min(a0 + w, L);
    let bx0 = Infinity, bx1 = -Infinity, by0 = Infinity, by1 = -Infinity;
    const lv = livelloPianta(a - da, 3000);
    for (let i = Math.floor(da / lv.passo); i * lv.passo <= a && i < lv.X.length; ++i) {
      if (isNaN(lv.X[i])) continue;
      bx0 = Math.min(bx0, lv.X[i]); bx1 = Math.max(bx1, lv.X[i]); by0 = Math.min(by0, lv.Y[i]); by1 = Math.max(by1, lv.Y[i]);
    }
    if (!isFinite(bx0)) { bx0 = pianta.xmin; bx1 = pianta.xmax; by0 = pianta.ymin; by1 = pianta.ymax; }
    const lato = Math.max(bx1 - bx0, by1 - by0, 100) * 1.15;
    const cx = (bx0 + bx1) / 2, cy = (by0 + by1) / 2;
    const ph = r.h - 24, pw = W - 240;
    const s = Math.min(pw, ph) / lato;
    const ox = pw / 2 + 10, oy = r.y + 18 + ph / 2;
    const sx = (x) => ox + (x - cx) * s, sy = (y) => oy - (y - cy) * s;
    g.save(); g.beginPath(); g.rect(1, r.y + 1, pw + 20, r.h - 2); g.clip();
    const ctx = livelloPianta(Math.min(5 * w, 4 * L), 4000);
    linea(ctx, Math.max(0, da - 2 * w), Math.min(L + 7000, a + 2 * w), sx, sy, "#b8b8b8", 2);
    linea(lv, da, a, sx, sy, "#303030", 2.5);
    puntiPianta(sx, sy, da, a);
    g.restore();
    // The whole line in the corner, the shown stretch marked in red.
    const qx = W - 220, qy = r.y + 8, qw = 210, qh = r.h - 16;
    g.fillStyle = "#ffffff"; g.fillRect(qx, qy, qw, qh); g.strokeStyle = "#c8c8c0"; g.strokeRect(qx + 0.5, qy + 0.5, qw, qh);
    const qs = Math.min((qw - 16) / Math.max(pianta.xmax - pianta.xmin, 1), (qh - 16) / Math.max(pianta.ymax - pianta.ymin, 1));
    const qox = qx + qw / 2, qoy = qy + qh / 2, qcx = (pianta.xmin + pianta.xmax) / 2, qcy = (pianta.ymin + pianta.ymax) / 2;
    const qsx = (x) => qox + (x - qcx) * qs, qsy = (y) => qoy - (y - qcy) * qs;
    linea(pianta.livelli[Math.max(0, pianta.livelli.length - 2)], 0, L, qsx, qsy, "#606060", 1.2);
    linea(livelloPianta(a - da, 1500), da, a, qsx, qsy, "#d62828", 3);
    g.strokeStyle = "#d62828"; g.lineWidth = 1;
    g.strokeRect(qsx(cx - lato / 2), qsy(cy + lato / 2), lato * qs, lato * qs);
  }
  // The finest level that has at most `quanti` points over `metri` of route.
  function livelloPianta(metri, quanti) {
    for (const l of pianta.livelli) if (metri / l.passo <= quanti) return l;
    return pianta.livelli[pianta.livelli.length - 1];
  }
  function linea(l, da, a, sx, sy, colore, spessore) {
    g.beginPath();
    let aperto = false;
    const i1 = Math.max(0, Math.floor(da / l.passo)), i2 = Math.min(l.X.length - 1, Math.ceil(a / l.passo));
    for (let i = i1; i <= i2; ++i) {
      if (isNaN(l.X[i])) { aperto = false; continue; }
      const x = sx(l.X[i]), y = sy(l.Y[i]);
      if (aperto) g.lineTo(x, y); else g.moveTo(x, y);
      aperto = true;
    }
    g.strokeStyle = colore; g.lineWidth = spessore; g.lineJoin = "round"; g.stroke();
  }
  function puntiPianta(sx, sy, da, a) {
    if (visibile.rallentamenti) {
      g.strokeStyle = "rgba(240,140,0,0.85)"; g.lineWidth = 8; g.lineCap = "round";
      for (const rl of rall) {
        const m1 = metriCella(rl.da), m2 = rl.a === null ? m1 + 50 : metriCella(rl.a);
        if (m2 < da || m1 > a) continue;
        g.beginPath();
        for (let m = m1; m <= m2; m += Math.max(10, (m2 - m1) / 40)) { const p = puntoPianta(m); if (p) g.lineTo(sx(p[0]), sy(p[1])); }
        g.stroke();
      }
      g.lineCap = "butt";
    }
    if (visibile.segnali && (a - da) / 200 < 3000) {
      g.fillStyle = "#d62828";
      const [i1, i2] = intervallo(segnali.m, 0);
      for (let i = i1; i < i2; ++i) { const p = puntoPianta(segnali.m[i]); if (p) g.fillRect(sx(p[0]) - 1.5, sy(p[1]) - 1.5, 3, 3); }
    }
    if (!visibile.stazioni) return;
    g.textAlign = "left";
    for (const st of stazioni) {
      if (st.m < da - 0.2 * w || st.m > a + 0.2 * w) continue;
      const p = puntoPianta(st.m);
      if (!p) continue;
      const x = sx(p[0]), y = sy(p[1]);
      g.beginPath(); g.arc(x, y, st.fermata ? 5 : 3.5, 0, 2 * Math.PI);
      g.fillStyle = st.fermata ? "#1d4ed8" : "#ffffff"; g.fill();
      g.strokeStyle = st.fermata ? "#ffffff" : "#1d4ed8"; g.lineWidth = 1.5; g.stroke();
      g.fillStyle = st.fermata ? "#202020" : "#6b7280";
      g.fillText(st.nome, x + 8, y);
    }
  }

  function disegnaCorsia(r) {
    cornice(r, r.titolo);
    ritaglia(r);
    const yc = r.y + r.h / 2;
    const f = DISEGNI[r.id];
    if (f) f(r, yc);
    g.restore();
  }
  // Draws one mark per pixel column: a long lane of features stays as fast as a short one.
  function tacche(ms, yc, h, colore, larghezza) {
    const [i1, i2] = intervallo(ms, 4);
    g.fillStyle = colore;
    let ultimo = -1e9;
    for (let i = i1; i < i2; ++i) {
      const x = Math.round(X(ms[i]));
      if (x === ultimo) continue;
      ultimo = x;
      g.fillRect(x - larghezza / 2, yc - h / 2, larghezza, h);
    }
  }
  const DISEGNI = {
    stazioni(r) {
      const [i1, i2] = intervallo(mStazioni, 200);
      let fine1 = -1e9, fine2 = -1e9;
      g.textAlign = "left";
      for (let i = i1; i < i2; ++i) {
        const st = stazioni[i], x = X(st.m);
        g.fillStyle = st.fermata ? "#1d4ed8" : "#ffffff"; g.strokeStyle = "#1d4ed8"; g.lineWidth = 1.2;
        g.beginPath(); g.arc(x, r.y + r.h - 7, st.fermata ? 4 : 3, 0, 2 * Math.PI); g.fill(); g.stroke();
        const lw = g.measureText(st.nome).width;
        // Names never run past the right edge: written leftwards from their place there.
        const xs = x + lw + 4 > W - DES ? x - lw - 3 : Math.max(x + 3, x < SIN ? SIN + 2 : x + 3);
        let y;
        if (xs > fine1) { y = r.y + 9; fine1 = xs + lw + 6; } else if (xs > fine2) { y = r.y + 21; fine2 = xs + lw + 6; } else continue;
        g.fillStyle = st.fermata ? "#202020" : "#6b7280";
        g.font = (st.fermata ? "" : "italic ") + "11px 'DejaVu Sans', Arial, sans-serif";
        g.fillText(st.nome, xs, y);
        g.font = "11px 'DejaVu Sans', Arial, sans-serif";
      }
    },
    segnali(r, yc) {
      tacche(segnali.m, yc, 12, "#d62828", 1.5);
      if (largo() / w * 250 < 40) return;
      // Close up, the aspects s1/s2/s3 of each signal.
      const [i1, i2] = intervallo(segnali.m, 0);
      g.fillStyle = "#7f1d1d"; g.textAlign = "left"; g.font = "9px 'DejaVu Sans', Arial, sans-serif";
      for (let i = i1; i < i2; ++i) { const v = segnali.el[i][2]; if (v.s) g.fillText(v.s.join("/"), X(segnali.m[i]) + 3, yc); }
      g.font = "11px 'DejaVu Sans', Arial, sans-serif";
    },
    rallentamenti(r, yc) {
      const [i1, i2] = intervallo(mRall, largo() * 2);
      const cella = largo() / w * 50;
      for (let i = i1; i < i2; ++i) {
        const rl = rall[i], x1 = X(metriCella(rl.da)), x2 = rl.a === null ? x1 + 2 : X(metriCella(rl.a));
        g.fillStyle = "#f08c00"; g.fillRect(x1, yc - 5, Math.max(x2 - x1, 2), 10);
        if (rl.avviso !== null) {
          const xa = X(metriCella(rl.avviso));
          g.beginPath(); g.moveTo(xa, yc - 7); g.lineTo(xa + 4, yc + 5); g.lineTo(xa - 4, yc + 5); g.closePath(); g.fill();
        }
        if (cella > 9) {
          g.fillStyle = "#7a4700"; g.textAlign = "center"; g.font = "9px 'DejaVu Sans', Arial, sans-serif";
          for (const n of rl.numerate) { const e = perCella.get(n); g.fillText(e ? String(e[2].number) : "?", X(metriCella(n)), yc); }
          g.font = "11px 'DejaVu Sans', Arial, sans-serif";
        }
        g.fillStyle = "#202020"; g.textAlign = "left";
        if (x2 - x1 > 26 || cella > 2) g.fillText(String(rl.v), Math.max(x2, x1 + 2) + 2, yc);
      }
    },
    indicatori(r, yc) { tacche(indicatori.m, yc, 10, "#6d28d9", 3); },
    abbattimenti(r, yc) { tacche(abbattimenti.m, yc, 10, "#64748b", 1.5); },
    cartelli(r, yc) { tacche(cartelli.m, yc, 8, "#2b9348", 5); },
    montagne(r, yc) {
      g.fillStyle = "#7c5c3b"; g.textAlign = "left";
      for (const [c1, c2, tipo] of D.montagne) {
        const x1 = X(metriCella(c1)), x2 = X(metriCella(c2) + 50);
        if (x2 < SIN || x1 > W) continue;
        g.fillRect(x1, yc - 4, Math.max(x2 - x1, 1.5), 8);
        if (x2 - x1 > 50) { g.fillStyle = "#ffffff"; g.fillText("kind " + tipo, x1 + 3, yc); g.fillStyle = "#7c5c3b"; }
      }
    },
    ripetizione(r, yc) {
      if (!D.ripetizione) return;
      const [da, a, codici] = D.ripetizione, x1 = X(da), x2 = X(a);
      g.fillStyle = "#5b8def"; g.fillRect(x1, yc - 4, Math.max(x2 - x1, 1.5), 8);
      g.fillStyle = "#ffffff"; g.textAlign = "left"; g.fillText(codici + " codes", Math.max(x1, SIN) + 4, yc);
    },
    curve(r, yc) {
      if (!D.curve_lette) { g.fillStyle = "#606060"; g.textAlign = "left"; g.fillText("(drawn from the sources only)", SIN + 4, yc); return; }
      let ultimo = -1e9;
      for (const [da, lung, sinistra, classe] of D.curve) {
        const x1 = X(da), x2 = X(da + lung);
        if (x2 < SIN || x1 > W || (x2 < ultimo + 0.5)) continue;
        ultimo = x2;
        const h = 1 + 1.3 * Math.min(Math.max(classe, 1), 6);
        g.fillStyle = sinistra ? "#c0392b" : "#2874a6";
        g.fillRect(x1, sinistra ? yc - h : yc, Math.max(x2 - x1, 1), h);
      }
    },
    riferimenti(r, yc) {
      g.textAlign = "left";
      for (const [da] of D.riferimenti) {
        const x = X(da);
        g.fillStyle = "#202020"; g.fillRect(x - 0.75, yc - 6, 1.5, 12);
        g.fillText(testoKm(posto(da)), x + 3, yc);
      }
    },
  };

  // A path of one column a pixel over the route metres each column covers: a vertical stroke from
  // the least to the greatest value that `estremiDi(m1, m2, o)` puts in o, joined to the column
  // before; a column it finds nothing for breaks the path.
  function perColonna(y, estremiDi) {
    g.beginPath();
    const o = [0, 0];
    let aperto = false;
    for (let x = SIN; x < W - DES; ++x) {
      const m1 = Math.max(M(x), 0), m2 = Math.min(M(x + 1), L);
      if (m2 <= m1 || !estremiDi(m1, m2, o)) { aperto = false; continue; }
      if (aperto) g.lineTo(x, y(o[1])); else g.moveTo(x, y(o[1]));
      g.lineTo(x + 1, y(o[1]));
      g.lineTo(x + 1, y(o[0]));
      aperto = true;
    }
  }
  function disegnaProfilo(r) {
    const p = r.p;
    cornice(r, null);
    const alto = r.y + 20, basso = r.y + r.h - 6;
    const y = (v) => basso - (v - p.lo) / (p.hi - p.lo) * (basso - alto);
    g.fillStyle = "#505050"; g.textAlign = "right";
    g.fillText(String(p.hi), SIN - 6, y(p.hi)); g.fillText(String(p.lo), SIN - 6, y(p.lo));
    if (p.lo < 0 && p.hi > 0) { g.fillText("0", SIN - 6, y(0)); g.fillStyle = "#c0c0c0"; g.fillRect(SIN, Math.round(y(0)), largo(), 1); }
    ritaglia(r);
    // One column a pixel: the minimum and maximum of the cells it covers.
    perColonna(y, (m1, m2, o) => {
      const c1 = Math.max(cellaDi(m1), 0), c2 = Math.min(Math.max(cellaDi(m2 - 1e-6), c1), p.pir[0].min.length - 1);
      return c1 <= c2 && estremi(p.pir, c1, c2, o);
    });
    g.strokeStyle = p.colore; g.lineWidth = 1.6; g.lineJoin = "miter"; g.stroke();
    if (p.id === "velocita" && marcia && visibile.marcia) disegnaMarcia(y);
    if (p.id === "velocita" && visibile.rallentamenti) {
      const [i1, i2] = intervallo(mRall, largo() * 2);
      g.fillStyle = "#f08c00"; g.textAlign = "left";
      for (let i = i1; i < i2; ++i) {
        const rl = rall[i], x1 = X(metriCella(rl.da)), x2 = rl.a === null ? x1 + 3 : X(metriCella(rl.a));
        const yv = y(Math.min(Math.max(rl.v, p.lo), p.hi));
        g.fillRect(x1, yv - 2, Math.max(x2 - x1, 3), 4);
      }
    }
    g.restore();
    g.fillStyle = "rgba(255,255,255,0.85)"; g.fillRect(SIN + 3, r.y + 3, g.measureText(p.titolo).width + 10, 15);
    g.fillStyle = "#202020"; g.textAlign = "left"; g.fillText(p.titolo, SIN + 8, r.y + 11);
  }

  // The model's speed at route metre m, km/h, between the values at the two cell starts around it;
  // null where the model does not run.
  function velocitaMarcia(m) {
    const f = m / 50 + 1, k = Math.floor(f), v = marcia.kmh10;
    if (k < 0 || k >= v.length || v[k] === null) return null;
    const dopo = k + 1 < v.length && v[k + 1] !== null ? v[k + 1] : v[k];
    return (v[k] + (dopo - v[k]) * (f - k)) / 10;
  }
  // One column a pixel, as the profiles: the least and the greatest speed at the cell starts it
  // covers, or where it covers none, the speed between them.
  function disegnaMarcia(y) {
    perColonna(y, (m1, m2, o) => {
      const k1 = Math.ceil(m1 / 50) + 1, k2 = Math.floor(m2 / 50) + 1;
      if (k1 <= k2 && estremi(marcia.pir, k1, k2, o)) { o[0] /= 10; o[1] /= 10; return true; }
      const v = velocitaMarcia((m1 + m2) / 2);
      o[0] = o[1] = v;
      return v !== null;
    });
    g.strokeStyle = "#c2185b"; g.lineWidth = 1.4; g.lineJoin = "miter"; g.stroke();
  }

  // Round ticks (1, 2, 5 times a power of ten metres) every 90 pixels or so.
  function passoTondo(metri) {
    const p = Math.pow(10, Math.floor(Math.log10(metri)));
    for (const k of [1, 2, 5, 10]) if (k * p >= metri) return k * p;
    return 10 * p;
  }
  function disegnaAsse(r) {
    const passo = passoTondo(w / (largo() / 90));
    g.fillStyle = "#303030"; g.fillRect(SIN, r.y, largo(), 1);
    g.textAlign = "center"; g.fillStyle = "#303030";
    let fineTesto = -1e9;
    const tacca = (m, testo) => {
      const x = X(m);
      if (x < SIN - 1 || x > W - DES + 1) return;
      g.fillRect(x, r.y, 1, 5);
      // Where the reckoning changes, two posts can fall close together: the later one gives way.
      const xt = Math.min(Math.max(x, SIN + 30), W - DES - 30), mezzo = g.measureText(testo).width / 2;
      if (xt - mezzo > fineTesto + 4) { g.fillText(testo, xt, r.y + 14); fineTesto = xt + mezzo; }
      for (const q of regioni) if (q.tipo !== "asse" && q.tipo !== "pianta") { g.fillStyle = "rgba(0,0,0,0.07)"; g.fillRect(x, q.y, 1, q.h); g.fillStyle = "#303030"; }
    };
    const da = Math.max(a0, 0), a = Math.min(a0 + w, L);
    if (asseKm) {
      // Round posts within each stretch of one reckoning.
      for (let i = 0; i < kmM.length; ++i) {
        const m1 = Math.max(kmM[i], da), m2 = Math.min(i + 1 < kmM.length ? kmM[i + 1] : L, a);
        if (m2 < m1) continue;
        const d = kmK[i] - kmM[i];
        for (let k = Math.ceil((m1 + d) / passo) * passo; k - d <= m2; k += passo) tacca(k - d, testoKm(k));
      }
    } else {
      for (let m = Math.ceil(da / passo) * passo; m <= a; m += passo) tacca(m, passo >= 1000 ? m / 1000 + " km" : testoMetri(m));
    }
    g.textAlign = "right"; g.fillStyle = "#606060";
    g.fillText(asseKm ? "kilometre posts" : "route metres", W - DES, r.y + 27);
    g.textAlign = "left";
    g.fillText("shown: " + (asseKm ? testoKm(posto(Math.max(a0, 0))) + " \u2013 " + testoKm(posto(Math.min(a0 + w, L)))
      : testoMetri(Math.max(a0, 0)) + " \u2013 " + testoMetri(Math.min(a0 + w, L))), SIN, r.y + 27);
  }

  // ---- hover ----
  function campiTesto(c) {
    if (!c) return "";
    return Object.entries(c).map(([k, v]) => k + " = " + (Array.isArray(v) ? v.join(" ") : v)).join("\n");
  }
  function dove(m, c) {
    return (c !== undefined && c !== null && c >= 0 ? "cell " + c + ", " : "") + m + " m, " + testoKm(posto(m));
  }
  function rigaOrigine(o) { return o ? "\n" + o : ""; }
  function vicino(ms, mx, soglia) {
    const [i1, i2] = intervallo(ms, soglia);
    let best = -1, d = soglia + 1;
    for (let i = i1; i < i2; ++i) { const di = Math.abs(X(ms[i]) - mx); if (di < d) { d = di; best = i; } }
    return best;
  }
  function descriviElemento(e) {
    return "<b>" + esc(NOMI_TIPO[e[1]] || "kind " + e[1]) + "</b>\n" + esc(dove(metriCella(e[0]), e[0])) + "\n" +
      esc(campiTesto(e[2])) + esc(rigaOrigine(e[3]));
  }
  function descriviStazione(st) {
    return "<b>" + esc(st.nome) + "</b> (" + (st.fermata ? "stop" : "no stop") + ")\n" + esc(dove(st.m, st.cella)) +
      (st.voce >= 0 ? "\ntable entry " + st.voce : "") + "\n" + esc(campiTesto(st.campi)) + esc(rigaOrigine(st.o));
  }
  function esc(t) { return String(t).replace(/&/g, "&amp;").replace(/[<]/g, "&lt;").replace(/>/g, "&gt;"); }
  function cosaSotto(mx, my) {
    const r = regioni.find((q) => my >= q.y && my < q.y + q.h);
    if (!r || mx < SIN) return null;
    const m = Math.round(M(mx));
    if (r.tipo === "corsia") {
      const lane = { segnali, indicatori, abbattimenti, cartelli }[r.id];
      if (lane) { const i = vicino(lane.m, mx, 6); return i < 0 ? null : descriviElemento(lane.el[i]); }
      if (r.id === "stazioni") { const i = vicino(mStazioni, mx, 8); return i < 0 ? null : descriviStazione(stazioni[i]); }
      if (r.id === "rallentamenti") {
        for (const rl of rall) {
          const m1 = metriCella(rl.avviso !== null ? rl.avviso : rl.da), m2 = rl.a === null ? metriCella(rl.da) : metriCella(rl.a);
          if (X(m1) - 5 <= mx && mx <= X(m2) + 5) {
            const parti = [rl.avviso, ...rl.numerate, rl.da, rl.a].filter((c) => c !== null).map((c) => perCella.get(c)).filter(Boolean);
            return "<b>slowdown " + rl.v + " km/h</b>\nstart " + esc(dove(metriCella(rl.da), rl.da)) +
              (rl.a !== null ? "\nend " + esc(dove(metriCella(rl.a), rl.a)) : "\nno end cell") +
              (rl.avviso !== null ? "\nwarning point cell " + rl.avviso : "\nno warning point") +
              (rl.numerate.length ? "\nnumbered cells " + rl.numerate.join(" ") : "") + esc(rigaOrigine(rl.o)) +
              "\n\n" + parti.map((e) => esc(NOMI_TIPO[e[1]] + " (cell " + e[0] + "): " + campiTesto(e[2]).replace(/\n/g, ", "))).join("\n");
          }
        }
        return null;
      }
      if (r.id === "montagne") {
        for (const [c1, c2, tipo] of D.montagne)
          if (X(metriCella(c1)) - 3 <= mx && mx <= X(metriCella(c2) + 50) + 3)
            return "<b>mountain stretch</b>, kind " + tipo + "\ncells " + c1 + ".." + c2 + "\n" + esc(dove(metriCella(c1))) + " \u2013 " + esc(dove(metriCella(c2) + 50));
        return null;
      }
      if (r.id === "ripetizione" && D.ripetizione) {
        const [da, a, codici] = D.ripetizione;
        if (X(da) <= mx && mx <= X(a)) return "<b>signal repetition</b>, " + codici + " codes\n" + esc(dove(da)) + " \u2013 " + esc(dove(a));
        return null;
      }
      if (r.id === "curve") {
        for (const [da, lung, sinistra, classe] of D.curve)
          if (X(da) - 2 <= mx && mx <= X(da + lung) + 2)
            return "<b>curve</b>, side " + (sinistra ? "s" : "d") + ", class " + classe + "\nfrom " + esc(dove(da)) + ", " + lung + " m";
        return null;
      }
      if (r.id === "riferimenti") {
        for (const [da, valore, flag, nome] of D.riferimenti)
          if (Math.abs(X(da) - mx) < 6) return "<b>kilometric reference</b> (" + esc(nome) + ")\ninizio = " + da + "\nfine = " + valore + "\nprogressiva = " + flag;
        return null;
      }
    }
    if (r.tipo === "profilo") {
      const c = cellaDi(Math.max(m, 0));
      if (m < 0 || m > L || c >= r.p.pir[0].min.length) return null;
      const v = r.p.id === "velocita" && marcia ? velocitaMarcia(m) : null;
      return "<b>" + esc(r.p.titolo) + "</b>\n" + esc(dove(m, c)) + "\nvalue " + r.p.pir[0].min[c] +
        (v === null ? "" : "\nrunning model " + v.toFixed(1) + " km/h");
    }
    return null;
  }
  function mostraSuggerimento(ev) {
    const b = tela.getBoundingClientRect(), mx = ev.clientX - b.left, my = ev.clientY - b.top;
    const t = cosaSotto(mx, my);
    if (!t) { sugg.hidden = true; return; }
    sugg.innerHTML = t;
    sugg.hidden = false;
    const sw = sugg.offsetWidth;
    sugg.style.left = (mx + 14 + sw > W ? mx - sw - 10 : mx + 14) + "px";
    sugg.style.top = (my + 14) + "px";
  }

  // ---- moving: zoom about a point, pan by pixels; the address keeps the view ----
  function zoom(fattore, xPerno) {
    const m = M(xPerno);
    w *= fattore;
    limita();
    a0 = m - (xPerno - SIN) / largo() * w;
    limita();
    cambiato();
  }
  function sposta(dx) { a0 -= dx / largo() * w; limita(); cambiato(); }
  function vai(m, span) {
    if (span !== undefined) w = span;
    limita();
    a0 = m - w / 2;
    limita();
    cambiato();
  }
  let timerIndirizzo = 0;
  function cambiato() {
    ridisegna();
    clearTimeout(timerIndirizzo);
    timerIndirizzo = setTimeout(scriviIndirizzo, 150);
  }
  function scriviIndirizzo() {
    const c = a0 + w / 2;
    const km = asseKm ? posto(Math.min(Math.max(c, 0), L)) / 1000 : c / 1000;
    const h = "#km=" + +km.toFixed(3) + "&span=" + +(w / 1000).toFixed(3) + (asseKm ? "" : "&axis=m");
    if (location.hash !== h) history.replaceState(null, "", h);
  }
  function leggiIndirizzo() {
    const p = new URLSearchParams(location.hash.replace(/^#/, ""));
    if (p.get("axis") === "m") { asseKm = false; document.getElementById("asse-km").checked = false; }
    const km = parseFloat(p.get("km")), span = parseFloat(p.get("span"));
    if (!isFinite(km)) return false;
    let m = asseKm ? metriDelPosto(km * 1000) : km * 1000;
    if (m === null) m = km * 1000;
    vai(m, isFinite(span) && span > 0 ? span * 1000 : w);
    return true;
  }

  // A station's name (whole, or the start of it, or any part) or a post "km 36+200", "36+200", "36.2".
  function cerca(testo) {
    const t = testo.trim();
    const messaggio = document.getElementById("messaggio");
    messaggio.textContent = "";
    const k = /^(?:km\s*)?(-?\d+)\s*\+\s*(\d{1,3})$/i.exec(t) || /^(?:km\s*)?(-?\d+(?:\.\d+)?)$/i.exec(t);
    if (k) {
      const posto = k[2] !== undefined ? (k[1].startsWith("-") ? -1 : 1) * (Math.abs(parseInt(k[1], 10)) * 1000 + parseInt(k[2].padEnd(3, "0"), 10))
        : Math.round(parseFloat(k[1]) * 1000);
      const m = metriDelPosto(posto);
      if (m === null) { messaggio.textContent = "no " + testoKm(posto) + " on this route"; return null; }
      vai(m, Math.min(w, 5000));
      return m;
    }
    const n = t.toLowerCase();
    const st = stazioni.find((s) => s.nome.toLowerCase() === n) || stazioni.find((s) => s.nome.toLowerCase().startsWith(n)) ||
      stazioni.find((s) => s.nome.toLowerCase().includes(n));
    if (!st || !n) { messaggio.textContent = "no station or post \u201c" + t + "\u201d"; return null; }
    vai(st.m, Math.min(w, 5000));
    return st.m;
  }

  // ---- events ----
  tela.tabIndex = 0;
  tela.addEventListener("wheel", (ev) => {
    ev.preventDefault();
    const b = tela.getBoundingClientRect();
    const d = ev.deltaMode === 1 ? ev.deltaY * 16 : ev.deltaY;
    if (Math.abs(ev.deltaX) > Math.abs(d)) sposta(-ev.deltaX);
    else zoom(Math.exp(d * 0.002), Math.max(ev.clientX - b.left, SIN));
  }, { passive: false });
  const puntatori = new Map();
  let distanzaPinch = 0;
  tela.addEventListener("pointerdown", (ev) => {
    tela.setPointerCapture(ev.pointerId);
    puntatori.set(ev.pointerId, ev.clientX);
    tela.classList.add("trascina");
    if (puntatori.size === 2) { const [p, q] = [...puntatori.values()]; distanzaPinch = Math.abs(p - q); }
  });
  tela.addEventListener("pointermove", (ev) => {
    if (!puntatori.has(ev.pointerId)) { mostraSuggerimento(ev); return; }
    const prima = puntatori.get(ev.pointerId);
    puntatori.set(ev.pointerId, ev.clientX);
    if (puntatori.size === 1) { sposta(ev.clientX - prima); return; }
    const [p, q] = [...puntatori.values()], d = Math.abs(p - q);
    if (distanzaPinch > 10 && d > 10) zoom(distanzaPinch / d, (p + q) / 2 - tela.getBoundingClientRect().left);
    distanzaPinch = d;
  });
  const lascia = (ev) => { puntatori.delete(ev.pointerId); if (puntatori.size === 0) tela.classList.remove("trascina"); };
  tela.addEventListener("pointerup", lascia);
  tela.addEventListener("pointercancel", lascia);
  tela.addEventListener("pointerleave", () => { sugg.hidden = true; });
  window.addEventListener("keydown", (ev) => {
    if (ev.target instanceof HTMLInputElement) return;
    const passi = { ArrowLeft: () => sposta(largo() / 8), ArrowRight: () => sposta(-largo() / 8),
      ArrowUp: () => zoom(1 / 1.5, SIN + largo() / 2), ArrowDown: () => zoom(1.5, SIN + largo() / 2),
      "+": () => zoom(1 / 1.5, SIN + largo() / 2), "=": () => zoom(1 / 1.5, SIN + largo() / 2), "-": () => zoom(1.5, SIN + largo() / 2),
      Home: () => vai(L / 2, L * 1.04) };
    if (passi[ev.key]) { ev.preventDefault(); passi[ev.key](); }
  });
  document.getElementById("ricerca").addEventListener("submit", (ev) => { ev.preventDefault(); cerca(document.getElementById("cerca").value); });
  document.getElementById("asse-km").addEventListener("change", (ev) => { asseKm = ev.target.checked; cambiato(); });
  document.getElementById("tutto").addEventListener("click", () => vai(L / 2, L * 1.04));
  window.addEventListener("hashchange", () => { if (leggiIndirizzo()) ridisegna(); });
  window.addEventListener("resize", () => { dimensiona(); ridisegna(); });

  // Layer switches.
  const strati = document.getElementById("strati");
  const nomiStrati = [["pianta", "plan view"], ...CORSIE.map((c) => [c.id, c.titolo]), ...profili.map((p) => [p.id, p.titolo.split(" (")[0]]),
    ...(marcia ? [["marcia", "running model"]] : [])];
  for (const [id, nome] of nomiStrati) {
    const l = document.createElement("label"), c = document.createElement("input");
    c.type = "checkbox"; c.checked = true; c.dataset.strato = id;
    c.addEventListener("change", () => { visibile[id] = c.checked; dimensiona(); ridisegna(); });
    l.append(c, " " + nome);
    strati.append(l);
  }

  // ---- start ----
  const conteggi = { stazioni: stazioni.length, fermate: stazioni.filter((s) => s.fermata).length,
    segnali: segnali.el.length, rallentamenti: rall.length, cartelli: cartelli.el.length,
    indicatori: indicatori.el.length, abbattimenti: abbattimenti.el.length };
  document.title = D.percorso + " - " + D.treno;
  document.getElementById("titolo").textContent = D.percorso + " \u2013 " + D.treno;
  document.getElementById("conteggi").textContent = (L / 1000).toFixed(2) + " km, " + conteggi.stazioni + " stations (" +
    conteggi.fermate + " with a stop), " + conteggi.segnali + " signals, " + conteggi.rallentamenti + " slowdowns, " +
    conteggi.indicatori + " boards, " + conteggi.abbattimenti + " abatement points, " + conteggi.cartelli + " signboards";
  document.getElementById("note").textContent = D.note.join("; ");
  dimensiona();
  a0 = -0.02 * L; w = L * 1.04;
  limita();
  leggiIndirizzo();
  disegna();

  // What the tests and the bench read and drive.
  window.vista = {
    conteggi, tempi, cerca, vai, posto, metriDelPosto, velocitaMarcia: (m) => (marcia ? velocitaMarcia(m) : null),
    stato: () => ({ da: a0, a: a0 + w, centro: a0 + w / 2, span: w, asseKm }),
    punto: (m) => ({ x: X(m), regioni: regioni.map((r) => ({ tipo: r.tipo, id: r.id || (r.p && r.p.id), y: r.y, h: r.h })) }),
  };
})();
