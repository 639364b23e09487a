'use strict';
// The page talks to the program through one WebSocket: commands out, the
// program's state and the inputs in. It says twice a second that it is
// still there, and when it is hidden, so that a run it started can stop.
(function () {
  const schluessel = new URLSearchParams(location.search).get('k') || '';
  const $ = (id) => document.getElementById(id);
  let ws = null;
  let zustand = null;
  let lebtTimer = null;

  function senden(befehl) {
    if (ws && ws.readyState === WebSocket.OPEN)
      ws.send(JSON.stringify(befehl));
  }

  function verbinden() {
    ws = new WebSocket('ws://' + location.host + '/ws?k=' + encodeURIComponent(schluessel));
    ws.onopen = () => {
      $('verbindung').textContent = 'Verbunden';
      $('verbindung').className = 'ok';
      senden({ befehl: 'sichtbar', an: !document.hidden });
    };
    ws.onclose = () => {
      $('verbindung').textContent = 'Keine Verbindung zum Programm';
      $('verbindung').className = '';
      setTimeout(verbinden, 1000);
    };
    ws.onmessage = (e) => {
      const m = JSON.parse(e.data);
      if (m.typ === 'zustand') zustandZeigen(m);
      else if (m.typ === 'belegung') belegungZeigen(m);
      else if (m.typ === 'fehler') $('meldung').textContent = m.text;
      else if (m.typ === 'ok') $('meldung').textContent = '';
    };
  }

  // ---------------------------------------------------------- views
  document.querySelectorAll('nav button').forEach((b) => {
    b.addEventListener('click', () => ansichtWaehlen(b.dataset.ansicht));
  });
  function ansichtWaehlen(name) {
    document.querySelectorAll('nav button').forEach((b) => b.classList.toggle('gewaehlt', b.dataset.ansicht === name));
    document.querySelectorAll('.ansicht').forEach((s) => { s.hidden = s.id !== 'ansicht-' + name; });
  }

  // ------------------------------------------------------ the state
  function zustandZeigen(z) {
    zustand = z;
    const snt = $('snt-zustand');
    snt.textContent = z.snt ? 'SNT ein' : 'SNT aus';
    snt.className = z.snt ? 'an' : 'aus';
    const knopf = $('btn-snt');
    knopf.textContent = z.snt ? 'SNT aus' : 'SNT ein';
    knopf.disabled = !z.snt && !z.sntEin;
    const wahl = $('seite');
    const optionen = z.seiten.map((s, i) => s.frei ? '<option value="' + i + '">' + s.name + '</option>' : '').join('');
    if (wahl.dataset.optionen !== optionen) {
      wahl.innerHTML = optionen;
      wahl.dataset.optionen = optionen;
    }
    wahl.value = String(z.seite);
    $('status').textContent = z.status;
    document.querySelectorAll('.raster').forEach((r) => r.classList.toggle('ohne-snt', !z.snt));

    const a = z.automatik;
    ['btn-start', 'btn-weiter', 'btn-zurueck', 'btn-fehler', 'takt'].forEach((id) => { $(id).disabled = !a; });
    if (a) {
      $('auto-art').textContent = a.art;
      $('auto-nummer').textContent = a.aktiv ? a.nummer : '-';
      $('auto-nummer').classList.toggle('fehler', a.fehlerhaft);
      $('auto-lage').textContent = a.aktiv ? a.lage : '';
      $('btn-start').textContent = a.laeuft ? 'Pause' : 'Start';
      $('btn-start').classList.toggle('laeuft', a.laeuft);
      $('btn-start').disabled = !a.laeuft && !a.bereit;
      ['btn-weiter', 'btn-zurueck', 'btn-fehler'].forEach((id) => { $(id).disabled = !a.aktiv; });
      if (document.activeElement !== $('takt')) $('takt').value = a.takt.toFixed(1);
      $('auto-hinweis').textContent = '';
    } else {
      $('auto-art').textContent = '';
      $('auto-nummer').textContent = '-';
      $('auto-hinweis').textContent = 'Die Seite im Hauptfenster hat keine Automatik: Leds, Weichen, Signale oder Fahren wählen.';
    }

    const f = z.fahren;
    ['fa-block-minus', 'fa-block-plus', 'fa-tempo', 'btn-vor', 'btn-rueck', 'btn-fahrt'].forEach((id) => { $(id).disabled = !f; });
    if (f) {
      $('fa-hinweis').textContent = '';
      $('fa-block').textContent = f.block;
      $('fa-block-minus').disabled = !f.blockFrei || f.block <= 1;
      $('fa-block-plus').disabled = !f.blockFrei || f.block >= f.blockMax;
      $('fa-tempo').max = f.tempoMax;
      if (document.activeElement !== $('fa-tempo')) $('fa-tempo').value = f.tempo;
      $('fa-tempo-zahl').textContent = f.tempo;
      $('btn-vor').classList.toggle('gewaehlt', f.vor);
      $('btn-fahrt').textContent = f.faehrt ? 'Stop' : 'Start';
      $('btn-fahrt').classList.toggle('faehrt', f.faehrt);
      $('btn-fahrt').disabled = !f.startFrei;
    } else {
      $('fa-block').textContent = '-';
      $('fa-hinweis').textContent = 'Im Hauptfenster ist die Seite "Fahren" nicht aufgeschlagen (oben wählen).';
    }
  }

  // ---------------------------------------------- occupancy, buttons
  function belegungZeigen(m) {
    const ziel = $('gruppen');
    m.gruppen.forEach((g, gi) => {
      if (g.bits.length === 0) return;
      let box = $('gruppe-' + gi);
      if (!box || box.dataset.anzahl !== String(g.bits.length)) {
        if (box) box.remove();
        box = document.createElement('div');
        box.className = 'gruppe';
        box.id = 'gruppe-' + gi;
        box.dataset.anzahl = String(g.bits.length);
        box.innerHTML = '<h2><span>' + g.name + '</span><span class="letzter" id="letzter-' + gi + '"></span></h2>';
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
        box.appendChild(raster);
        const vorher = Array.from(ziel.children).find((c) => Number(c.id.split('-')[1]) > gi);
        ziel.insertBefore(box, vorher || null);
      }
      const zellen = $('raster-' + gi).children;
      for (let i = 0; i < g.bits.length; ++i)
        zellen[i].classList.toggle('an', g.bits[i] === '1');
      $('letzter-' + gi).textContent = g.letzter > 0 ? g.letzter : '';
    });
    if (zustand) document.querySelectorAll('.raster').forEach((r) => r.classList.toggle('ohne-snt', !zustand.snt));
    window.kvxBelegungUm = Date.now();   // when the grid last changed, for the delay measurement
  }

  // ------------------------------------------------------ commands
  $('alles-aus').addEventListener('click', () => senden({ befehl: 'allesAus' }));
  $('btn-snt').addEventListener('click', () => senden({ befehl: 'snt', an: !(zustand && zustand.snt) }));
  $('seite').addEventListener('change', (e) => senden({ befehl: 'seite', nr: Number(e.target.value) }));
  $('btn-start').addEventListener('click', () => senden({ befehl: 'start' }));
  $('btn-weiter').addEventListener('click', () => senden({ befehl: 'weiter' }));
  $('btn-zurueck').addEventListener('click', () => senden({ befehl: 'zurueck' }));
  $('btn-fehler').addEventListener('click', () => senden({ befehl: 'fehlerhaft' }));
  $('takt').addEventListener('change', (e) => {
    const w = Math.min(10, Math.max(0.2, Number(e.target.value) || 1));
    senden({ befehl: 'takt', wert: Math.round(w * 10) / 10 });
  });
  const block = (d) => { if (zustand && zustand.fahren) senden({ befehl: 'block', nr: zustand.fahren.block + d }); };
  $('fa-block-minus').addEventListener('click', () => block(-1));
  $('fa-block-plus').addEventListener('click', () => block(1));
  // A finger on the slider moves it sixty times a second: at most ten
  // commands a second go out (the program takes fifty), the last one always.
  let tempoOffen = false;
  const tempoSenden = () => {
    const nr = Number($('fa-tempo').value);
    if (tempoOffen) return;
    senden({ befehl: 'tempo', nr: nr });
    tempoOffen = true;
    setTimeout(() => {
      tempoOffen = false;
      if (Number($('fa-tempo').value) !== nr) tempoSenden();
    }, 100);
  };
  $('fa-tempo').addEventListener('input', tempoSenden);
  $('btn-vor').addEventListener('click', () => senden({ befehl: 'richtung', vor: true }));
  $('btn-rueck').addEventListener('click', () => senden({ befehl: 'richtung', vor: false }));
  $('btn-fahrt').addEventListener('click', () => senden({ befehl: 'fahrt' }));

  document.addEventListener('visibilitychange', () => senden({ befehl: 'sichtbar', an: !document.hidden }));
  lebtTimer = setInterval(() => senden({ befehl: 'lebt' }), 500);
  verbinden();
})();
