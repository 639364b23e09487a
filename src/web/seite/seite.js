'use strict';
// The page talks to the program through one WebSocket: commands out, the
// program's state, the inputs and its message boxes in. It says twice a
// second that it is still there, and when it is hidden, so that a run it
// started can stop. Without a connection nothing on it can be pressed, and
// the line under the views says why and when it tries again.
(function () {
  // The key comes once in the address (from the QR code). It is kept here for
  // reconnecting and taken out of the address, so that it does not stay in
  // the browser's history; the home-screen manifest gets it from here.
  const adresse = new URL(location.href);
  const schluessel = adresse.searchParams.get('k') || '';
  adresse.searchParams.delete('k');
  history.replaceState(history.state, '', adresse.pathname + adresse.search + adresse.hash);
  if (schluessel) {
    const manifest = document.createElement('link');
    manifest.rel = 'manifest';
    manifest.href = '/manifest.webmanifest?k=' + encodeURIComponent(schluessel);
    document.head.appendChild(manifest);
  }

  const $ = (id) => document.getElementById(id);
  const TaktMin = 0.2;             // seconds per element, as the window's "Takt" field takes them
  const TaktMax = 10;
  const Wartezeiten = [1, 2, 4, 8, 15];   // seconds before the next attempt, after 1, 2, ... failures
  const AutomatikSeiten = [3, 4, 5, 6];  // Leds, Weichen, Signale, Fahren: the pages with a walk
  const FahrenSeite = 6;

  let ws = null;
  let zustand = null;
  let fehlversuche = 0;      // failed attempts since the last connection
  let warten = null;         // the countdown to the next attempt
  let aufgegeben = false;    // the key is no longer valid: no more attempts
  let beendet = '';          // why the program ended (it said so): attempts at the longest wait until it is back
  let kaesten = [];          // the program's open message boxes, oldest first
  const zugeklappt = {};     // group name -> folded, for as long as the page is open

  const zahl = (x) => String(x).replace('.', ',');   // German decimal comma

  function senden(befehl) {
    if (!ws || ws.readyState !== WebSocket.OPEN)
      return false;
    ws.send(JSON.stringify(befehl));
    return true;
  }

  // ------------------------------------------------------ connection
  function verbindungZeigen(text, ok) {
    $('verbindung').textContent = text;
    $('verbindung').className = ok ? 'ok' : 'fehlt';
  }

  // Everything that sends is locked while there is no connection; the views
  // and the folding of the grids stay, they only change this page.
  function sperren() {
    document.body.classList.add('getrennt');
    document.querySelectorAll('#snt-zeile button, #snt-zeile select, main button:not(.kopf), main input, main select, #alles-aus')
      .forEach((e) => { e.disabled = true; });
    kaesten = [];
    kastenZeigen();
  }

  function verbinden() {
    clearTimeout(warten);
    warten = null;
    if (aufgegeben || (ws && ws.readyState !== WebSocket.CLOSED))
      return;
    verbindungZeigen('Verbinde mit ' + location.host + ' … (' + (fehlversuche + 1) + '. Versuch)', false);
    const s = new WebSocket('ws://' + location.host + '/ws?k=' + encodeURIComponent(schluessel));
    ws = s;
    s.onopen = () => {
      fehlversuche = 0;
      beendet = '';
      document.body.classList.remove('getrennt');
      $('alles-aus').disabled = false;
      verbindungZeigen('Verbunden mit ' + location.host, true);
      senden({ befehl: 'sichtbar', an: !document.hidden });
    };
    s.onclose = (e) => {
      if (ws !== s)
        return;
      ws = null;
      sperren();
      if (e.code === 4401) {
        aufgegeben = true;
        const wo = zustand && zustand.ohneFenster ? 'im Terminal des Programms oder im Journal seines Dienstes'
                                                  : 'Seite „Config“ im Programm';
        verbindungZeigen('Das Programm wurde neu gestartet oder hat einen neuen Zugangsschlüssel: '
                         + 'bitte den neuen QR-Code (' + wo + ') scannen.', false);
        return;
      }
      // Going away: the program ended in order; the page comes back with it
      // when it is started again (with the same key), asking seldom meanwhile.
      if (e.code === 1001)
        beendet = e.reason || 'Das Programm wurde beendet.';
      const grund = beendet ? beendet + ' Die Seite verbindet sich wieder, sobald es wieder läuft'
                    : e.code === 4503 ? 'Acht Seiten sind schon mit dem Programm verbunden: bitte eine andere schließen'
                    : 'Keine Verbindung zum Programm';
      let rest = Wartezeiten[beendet ? Wartezeiten.length - 1 : Math.min(fehlversuche, Wartezeiten.length - 1)];
      fehlversuche += 1;
      const zaehlen = () => {
        if (rest <= 0) {
          verbinden();
          return;
        }
        verbindungZeigen(grund + ' – ' + (beendet ? 'nächster' : 'neuer') + ' Versuch in ' + rest + ' s ('
                         + fehlversuche + (fehlversuche === 1 ? ' Versuch' : ' Versuche') + ' bisher)', false);
        rest -= 1;
        warten = setTimeout(zaehlen, 1000);
      };
      zaehlen();
    };
    s.onmessage = (e) => nachricht(JSON.parse(e.data));
  }

  function nachricht(m) {
    switch (m.typ) {
    case 'zustand': zustandZeigen(m); break;
    case 'belegung': belegungZeigen(m); break;
    case 'meldung': kaesten = kaesten.filter((k) => k.id !== m.id).concat([m]); kastenZeigen(); break;
    case 'meldungZu': kaesten = kaesten.filter((k) => k.id !== m.id); kastenZeigen(); break;
    // The answer: what a command did, when the program says it, or why it was refused.
    case 'ok':
      $('meldung').textContent = m.text || '';
      $('meldung').className = 'getan';
      break;
    case 'fehler':
      $('meldung').textContent = m.text;
      $('meldung').className = '';
      // A refused command leaves the state as it was, and no new state
      // comes: what the controls show is put back to it.
      if (zustand) zustandZeigen(zustand);
      break;
    }
  }

  // ---------------------------------------------------------- views
  document.querySelectorAll('nav button').forEach((b) => {
    b.addEventListener('click', () => ansichtWaehlen(b.dataset.ansicht));
  });
  function ansichtWaehlen(name) {
    document.querySelectorAll('nav button').forEach((b) => {
      const gewaehlt = b.dataset.ansicht === name;
      b.classList.toggle('gewaehlt', gewaehlt);
      b.setAttribute('aria-pressed', String(gewaehlt));
    });
    document.querySelectorAll('.ansicht').forEach((s) => { s.hidden = s.id !== 'ansicht-' + name; });
    document.querySelector('main').scrollTop = 0;
  }

  // The offered ones among the pages with these numbers, as „A“, „B“ oder „C“.
  function seitenNamen(z, nummern) {
    const namen = nummern.filter((i) => z.seiten[i] && z.seiten[i].frei).map((i) => '„' + z.seiten[i].name + '“');
    return namen.length < 2 ? namen.join('') : namen.slice(0, -1).join(', ') + ' oder ' + namen[namen.length - 1];
  }

  // ------------------------------------------------------ the state
  function zustandZeigen(z) {
    zustand = z;
    const snt = $('snt-zustand');
    const knopf = $('btn-snt');
    snt.textContent = z.sntSchaltet ? 'Netzteil: startet …' : (z.snt ? 'Netzteil: ein' : 'Netzteil: aus');
    snt.className = z.sntSchaltet ? 'startet' : (z.snt ? 'an' : 'aus');
    knopf.textContent = z.snt ? 'Ausschalten' : 'Einschalten';
    knopf.dataset.an = String(!z.snt);
    knopf.disabled = !!z.sntSchaltet || (!z.snt && !z.sntEin);
    if (z.rechner) verbindungZeigen('Verbunden mit ' + z.rechner + ' (' + location.host + ')', true);

    const wahl = $('seite');
    const optionen = z.seiten.map((s, i) => (s.frei ? i + '=' + s.name : '')).join('\n');
    if (wahl.dataset.optionen !== optionen) {
      wahl.replaceChildren(...z.seiten.map((s, i) => (s.frei ? new Option(s.name, String(i)) : null)).filter((o) => o));
      wahl.dataset.optionen = optionen;
    }
    wahl.value = String(z.seite);
    wahl.disabled = false;
    $('status').textContent = z.status;
    document.querySelectorAll('.raster').forEach((r) => r.classList.toggle('ohne-snt', !z.snt));

    automatikZeigen(z);
    fahrenZeigen(z);
    pruefenZeigen(z);
  }

  function automatikZeigen(z) {
    const a = z.automatik;
    ['btn-start', 'btn-weiter', 'btn-zurueck', 'btn-fehler', 'takt'].forEach((id) => { $(id).disabled = !a; });
    const start = $('btn-start');
    if (a) {
      $('auto-art').textContent = a.art;
      $('auto-nummer').textContent = a.aktiv ? a.nummer : '-';
      $('auto-nummer').classList.toggle('fehler', a.fehlerhaft);
      $('auto-lage').textContent = a.aktiv ? a.lage : '';
      start.textContent = a.laeuft ? 'Pause' : 'Start';
      start.dataset.an = String(!a.laeuft);
      start.classList.toggle('laeuft', a.laeuft);
      start.disabled = !a.laeuft && !a.bereit;
      ['btn-weiter', 'btn-zurueck', 'btn-fehler'].forEach((id) => { $(id).disabled = !a.aktiv; });
      if (document.activeElement !== $('takt')) $('takt').value = zahl(a.takt.toFixed(1));
      $('auto-hinweis').textContent = '';
    } else {
      $('auto-art').textContent = '';
      $('auto-nummer').textContent = '-';
      $('auto-lage').textContent = '';
      start.textContent = 'Start';
      start.classList.remove('laeuft');
      const namen = seitenNamen(z, AutomatikSeiten);
      $('auto-hinweis').textContent = namen
        ? 'Die Seite im Hauptfenster hat keine Automatik: oben in der Seitenauswahl ' + namen + ' wählen.'
        : 'Die Seite im Hauptfenster hat keine Automatik, und keine Seite mit Automatik ist gerade erreichbar.';
    }
  }

  function fahrenZeigen(z) {
    const f = z.fahren;
    ['fa-block-minus', 'fa-block-plus', 'fa-block', 'fa-tempo', 'btn-vor', 'btn-rueck', 'btn-fahrt']
      .forEach((id) => { $(id).disabled = !f; });
    const fahrt = $('btn-fahrt');
    const regler = $('fa-tempo');
    if (f) {
      $('fa-hinweis').textContent = '';
      if (document.activeElement !== $('fa-block')) $('fa-block').value = f.block;
      $('fa-block').disabled = !f.blockFrei;
      $('fa-block-minus').disabled = !f.blockFrei || f.block <= 1;
      $('fa-block-plus').disabled = !f.blockFrei || f.block >= f.blockMax;
      regler.max = f.tempoMax;
      if (document.activeElement !== regler) regler.value = f.tempo;
      tempoText();
      $('btn-vor').setAttribute('aria-pressed', String(f.vor));
      $('btn-rueck').setAttribute('aria-pressed', String(!f.vor));
      $('fa-richtung').textContent = f.vor ? 'Richtung: vorwärts' : 'Richtung: rückwärts';
      fahrt.textContent = f.faehrt ? 'Stop' : 'Start';
      fahrt.dataset.an = String(!f.faehrt);
      fahrt.classList.toggle('faehrt', f.faehrt);
      fahrt.disabled = !f.startFrei;
    } else {
      $('fa-block').value = '';
      $('btn-vor').setAttribute('aria-pressed', 'false');
      $('btn-rueck').setAttribute('aria-pressed', 'false');
      $('fa-richtung').textContent = 'Richtung: -';
      fahrt.textContent = 'Start';
      fahrt.classList.remove('faehrt');
      const seite = z.seiten[FahrenSeite];
      $('fa-hinweis').textContent = seite && seite.frei
        ? 'Im Hauptfenster ist die Seite „Fahren“ nicht aufgeschlagen: oben in der Seitenauswahl „Fahren“ wählen.'
        : (z.snt ? 'Die Seite „Fahren“ ist bei eingeschaltetem Netzteil nicht erreichbar: erst oben „Ausschalten“, '
                   + 'dann in der Seitenauswahl „Fahren“ wählen.'
                 : 'Die Seite „Fahren“ ist im Hauptfenster gerade nicht erreichbar.');
    }
  }

  // The guided check of the window "Verdrahtung prüfen": while it runs the
  // group is the window's; otherwise the page keeps its own choice.
  function pruefenZeigen(z) {
    const v = z.verdrahtung;
    const wahl = $('pr-gruppe');
    ['pr-gruppe', 'btn-eingaben', 'btn-nichts', 'btn-pr-zurueck', 'btn-fertig'].forEach((id) => { $(id).disabled = !v; });
    if (!v) return;
    const optionen = v.gruppen.map((g) => g.name + '=' + g.anzahl).join(' ');
    if (wahl.dataset.optionen !== optionen) {
      const gewaehlt = wahl.value || v.gruppe;
      wahl.replaceChildren(...v.gruppen.map((g) => {
        const o = new Option(g.text + (g.anzahl > 0 ? ' (' + g.anzahl + ')' : ' (keine)'), g.name);
        o.disabled = g.anzahl === 0;
        return o;
      }));
      wahl.dataset.optionen = optionen;
      wahl.value = gewaehlt;
    }
    if (v.laeuft) wahl.value = v.gruppe;
    wahl.disabled = v.laeuft;
    $('btn-eingaben').disabled = v.laeuft || v.frage;
    $('pr-wahl').hidden = v.gefuehrt;
    const gruppe = v.gruppen.find((g) => g.name === v.gruppe);
    $('pr-was').textContent = v.gefuehrt
      ? (gruppe ? gruppe.text : '') + ' 1 bis ' + v.anzahl + ': der Reihe nach drücken oder belegen'
      : '';
    $('pr-erwartet').textContent = v.gefuehrt ? String(v.erwartet) : '';
    $('pr-kam').textContent = v.kam;
    $('pr-kam').classList.toggle('falsch', v.kamFalsch);
    $('btn-nichts').disabled = !v.gefuehrt;
    $('btn-pr-zurueck').disabled = !v.zurueck;
    $('btn-fertig').disabled = !v.gefuehrt;
    $('pr-status').textContent = v.status;
    const befunde = v.befunde.join('\n');
    if ($('pr-befunde').dataset.text !== befunde) {
      $('pr-befunde').replaceChildren(...v.befunde.map((t) => {
        const li = document.createElement('li');
        li.textContent = t;
        li.className = t.startsWith('Hinweis:') ? '' : 'fehler';
        return li;
      }));
      $('pr-befunde').dataset.text = befunde;
    }
  }

  // The slider's position is in eighths of a speed step: 60 is step 7.5.
  function tempoText() {
    $('fa-tempo-text').textContent = 'Fahrstufe ' + zahl(Number($('fa-tempo').value) / 8);
  }

  // ---------------------------------------------- occupancy, buttons
  // Each message names all groups with their counts: a group of none is
  // not shown, a group whose count changed gets a new grid.
  function belegungZeigen(m) {
    const ziel = $('gruppen');
    m.gruppen.forEach((g, gi) => {
      let box = $('gruppe-' + gi);
      if (box && (box.dataset.anzahl !== String(g.bits.length) || box.dataset.name !== g.name)) {
        box.remove();
        box = null;
      }
      if (g.bits.length === 0)
        return;
      if (!box) {
        box = gruppeBauen(g, gi);
        const danach = Array.from(ziel.children).find((c) => Number(c.id.split('-')[1]) > gi);
        ziel.insertBefore(box, danach || null);
      }
      const zellen = $('raster-' + gi).children;
      for (let i = 0; i < g.bits.length; ++i)
        zellen[i].classList.toggle('an', g.bits[i] === '1');
      $('letzter-' + gi).textContent = g.letzter > 0 ? g.letzter : '';
    });
    Array.from(ziel.children).forEach((c) => {
      if (Number(c.id.split('-')[1]) >= m.gruppen.length) c.remove();
    });
    if (zustand) document.querySelectorAll('.raster').forEach((r) => r.classList.toggle('ohne-snt', !zustand.snt));
    window.kvxBelegungUm = Date.now();   // when the grid last changed, for the delay measurement
  }

  function gruppeBauen(g, gi) {
    const box = document.createElement('div');
    box.className = 'gruppe';
    box.id = 'gruppe-' + gi;
    box.dataset.anzahl = String(g.bits.length);
    box.dataset.name = g.name;
    const kopf = document.createElement('button');
    kopf.type = 'button';
    kopf.className = 'kopf';
    const name = document.createElement('span');
    name.className = 'name';
    name.textContent = g.name + ' (' + g.bits.length + ')';
    const letzter = document.createElement('span');
    letzter.className = 'letzter';
    letzter.id = 'letzter-' + gi;
    kopf.append(name, letzter);
    const raster = document.createElement('div');
    raster.className = 'raster';
    raster.id = 'raster-' + gi;
    for (let i = 1; i <= g.bits.length; ++i) {
      const z = document.createElement('div');
      z.dataset.nr = String(i + g.nummer);
      if (i % 10 === 0) z.className = 'zehn';
      if (i % 10 === 1) z.textContent = String(i + g.nummer);
      raster.appendChild(z);
    }
    const falten = () => {
      box.classList.toggle('zu', !!zugeklappt[g.name]);
      kopf.setAttribute('aria-expanded', String(!zugeklappt[g.name]));
    };
    kopf.addEventListener('click', () => {
      zugeklappt[g.name] = !zugeklappt[g.name];
      falten();
    });
    falten();
    box.append(kopf, raster);
    return box;
  }

  // ------------------------------------------- the program's message boxes
  // The newest open box is shown; "Alles aus" stays reachable beside it.
  function kastenZeigen() {
    const kasten = $('kasten');
    const k = kaesten[kaesten.length - 1];
    kasten.hidden = !k;
    if (!k) {
      kasten.dataset.id = '';
      return;
    }
    $('kasten-weitere').textContent = kaesten.length > 1 ? '(und ' + (kaesten.length - 1) + ' weitere)' : '';
    if (kasten.dataset.id === String(k.id))
      return;
    kasten.dataset.id = String(k.id);
    $('kasten-text').textContent = k.text;
    const knoepfe = Array.isArray(k.knoepfe) ? k.knoepfe : ['OK'];
    $('kasten-knoepfe').replaceChildren(...knoepfe.map((text) => {
      const b = document.createElement('button');
      b.type = 'button';
      b.textContent = text;
      b.addEventListener('click', () => senden({ befehl: 'antwort', id: k.id, knopf: text }));
      return b;
    }));
  }

  // ------------------------------------------------------ commands
  // A button sends what it shows: "Pause" pauses, "Stop" stops.
  const zielZustand = (id) => $(id).dataset.an === 'true';
  $('alles-aus').addEventListener('click', () => senden({ befehl: 'allesAus' }));
  $('btn-snt').addEventListener('click', () => senden({ befehl: 'snt', an: zielZustand('btn-snt') }));
  $('seite').addEventListener('change', (e) => senden({ befehl: 'seite', nr: Number(e.target.value) }));
  $('btn-start').addEventListener('click', () => senden({ befehl: 'start', an: zielZustand('btn-start') }));
  $('btn-weiter').addEventListener('click', () => senden({ befehl: 'weiter' }));
  $('btn-zurueck').addEventListener('click', () => senden({ befehl: 'zurueck' }));
  $('btn-fehler').addEventListener('click', () => senden({ befehl: 'fehlerhaft' }));
  $('btn-vor').addEventListener('click', () => senden({ befehl: 'richtung', vor: true }));
  $('btn-rueck').addEventListener('click', () => senden({ befehl: 'richtung', vor: false }));
  $('btn-fahrt').addEventListener('click', () => senden({ befehl: 'fahrt', an: zielZustand('btn-fahrt') }));
  $('btn-eingaben').addEventListener('click', () => senden({ befehl: 'eingaben', an: true, gruppe: $('pr-gruppe').value }));
  // The number the page shows: pressed again after the check moved on, it is refused.
  $('btn-nichts').addEventListener('click', () => {
    if (zustand && zustand.verdrahtung) senden({ befehl: 'nichtskam', nr: zustand.verdrahtung.erwartet });
  });
  $('btn-pr-zurueck').addEventListener('click', () => {
    if (zustand && zustand.verdrahtung) senden({ befehl: 'zuruecknehmen', nr: zustand.verdrahtung.erwartet });
  });
  $('btn-fertig').addEventListener('click', () => senden({ befehl: 'eingaben', an: false }));

  // A number typed into a field: sent when it is one in range, else a
  // message beside the field and nothing sent.
  function feld(id, lesen, meldung, schicken) {
    $(id).addEventListener('change', (e) => {
      const text = e.target.value.trim();
      const wert = lesen(text);
      $(id + '-fehler').textContent = wert === null ? meldung(text) : '';
      if (wert !== null)
        schicken(wert);
    });
  }
  feld('takt', (t) => {
    if (!/^\d*([.,]\d+)?$/.test(t) || !/\d/.test(t)) return null;
    const w = Number(t.replace(',', '.'));
    return w >= TaktMin && w <= TaktMax ? w : null;
  }, (t) => 'Takt „' + t + '“ geht nicht: eine Zahl von ' + zahl(TaktMin) + ' bis ' + zahl(TaktMax) + ' Sekunden, etwa 1,5.',
  (w) => senden({ befehl: 'takt', wert: w }));
  const blockMax = () => (zustand && zustand.fahren ? zustand.fahren.blockMax : 0);
  feld('fa-block', (t) => (/^\d+$/.test(t) && Number(t) >= 1 && Number(t) <= blockMax() ? Number(t) : null),
    (t) => 'Block „' + t + '“ gibt es nicht: eine ganze Zahl von 1 bis ' + blockMax() + '.',
    (n) => senden({ befehl: 'block', nr: n }));
  const block = (d) => { if (zustand && zustand.fahren) senden({ befehl: 'block', nr: zustand.fahren.block + d }); };
  $('fa-block-minus').addEventListener('click', () => block(-1));
  $('fa-block-plus').addEventListener('click', () => block(1));

  // A finger on the slider moves it sixty times a second: at most ten
  // commands a second go out (the program takes fifty), the last one always.
  let tempoOffen = false;
  const tempoSenden = () => {
    const nr = Number($('fa-tempo').value);
    tempoText();
    if (tempoOffen) return;
    senden({ befehl: 'tempo', nr: nr });
    tempoOffen = true;
    setTimeout(() => {
      tempoOffen = false;
      if (Number($('fa-tempo').value) !== nr) tempoSenden();
    }, 100);
  };
  $('fa-tempo').addEventListener('input', tempoSenden);

  document.addEventListener('visibilitychange', () => {
    senden({ befehl: 'sichtbar', an: !document.hidden });
    if (!document.hidden && !ws) verbinden();   // back on the phone: try at once
  });
  setInterval(() => senden({ befehl: 'lebt' }), 500);
  sperren();
  verbinden();
})();
