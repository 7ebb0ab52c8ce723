#include "http_page.h"

namespace brserver {

const char* const kLivePageHtml = R"HTML(<!doctype html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Bermrider live timing</title>
<link rel="stylesheet" href="/style.css">
<script src="/live.js" defer></script>
</head>
<body>
<header>
  <h1>Bermrider live timing</h1>
  <div id="status" class="status">Connecting&hellip;</div>
</header>
<main>
  <section id="race">
    <div class="facts">
      <div><span class="label">Track</span><span id="track">&ndash;</span></div>
      <div><span class="label">Race</span><span id="race-number">&ndash;</span></div>
      <div><span class="label">State</span><span id="phase">&ndash;</span></div>
      <div><span class="label">Race clock</span><span id="clock">&ndash;</span></div>
      <div><span class="label" id="left-label">Laps left</span><span id="left">&ndash;</span></div>
    </div>
    <table id="order">
      <thead><tr><th>Pos</th><th>No.</th><th>Rider</th><th>Bike</th><th>Laps</th>
        <th>Last lap</th><th>Best lap</th><th>Gap</th><th>Penalty</th><th></th></tr></thead>
      <tbody></tbody>
    </table>
    <p id="empty">No riders on the grid yet.</p>
  </section>
  <section id="history">
    <h2>Past races</h2>
    <div id="past"><p>None yet.</p></div>
  </section>
</main>
<footer>Updated <span id="updated">never</span></footer>
</body>
</html>
)HTML";

// Every text that reaches the page goes in through textContent: riders choose their names
// and numbers, and none of it may become markup.
const char* const kLivePageScript = R"JS('use strict';
const kLivePollMs = 400;      // more than twice a second
const kHistoryPollMs = 5000;  // and whenever a race ends

let lastRace = -1, lastFinal = false, updates = 0;

function el(id) { return document.getElementById(id); }

function clockText(ms) {
  const sign = ms < 0 ? '-' : '';
  ms = Math.abs(ms);
  const m = Math.floor(ms / 60000), s = Math.floor(ms / 1000) % 60, t = Math.floor(ms / 100) % 10;
  return sign + m + ':' + String(s).padStart(2, '0') + '.' + t;
}

function lapText(ms) {
  if (ms === null || ms === undefined) return '';
  const m = Math.floor(ms / 60000), s = Math.floor(ms / 1000) % 60, r = ms % 1000;
  return m + ':' + String(s).padStart(2, '0') + '.' + String(r).padStart(3, '0');
}

function gapText(r) {
  if (r.position === 1) return 'Leader';
  if (r.laps_down > 0) return '+' + r.laps_down + (r.laps_down === 1 ? ' lap' : ' laps');
  return '+' + (r.gap_ms / 1000).toFixed(3);
}

function penaltyText(r) {
  const parts = [];
  if (r.laps_lost > 0) parts.push(r.laps_lost + (r.laps_lost === 1 ? ' lap' : ' laps'));
  if (r.penalty_ms > 0) parts.push((r.penalty_ms / 1000).toFixed(2) + ' s');
  return parts.join(' ');
}

function cell(tr, text, cls) {
  const td = document.createElement('td');
  td.textContent = text;
  if (cls) td.className = cls;
  tr.appendChild(td);
}

function phaseText(live) {
  if (live.phase === 'warmup') return 'Warming up';
  if (live.final) return 'Final results';
  if (!live.started) return 'At the gate';
  return 'Racing';
}

function showLive(live) {
  el('track').textContent = live.track;
  el('race-number').textContent = String(live.race);
  el('phase').textContent = phaseText(live);
  el('clock').textContent = live.phase === 'warmup' ? '\u2013' : clockText(live.clock_ms);
  if (live.time_limit_ms !== null && live.laps_left === null) {
    el('left-label').textContent = 'Time left';
    el('left').textContent = live.time_left_ms === null ? '\u2013' : clockText(live.time_left_ms);
  } else {
    el('left-label').textContent = 'Laps left';
    el('left').textContent = live.laps_left === null ? '\u2013' : String(live.laps_left);
  }
  const body = document.createElement('tbody');
  for (const r of live.riders) {
    const tr = document.createElement('tr');
    tr.dataset.slot = String(r.slot);
    if (r.finished) tr.className = 'finished';
    if (!r.connected) tr.className = 'left';
    cell(tr, String(r.position), 'pos');
    cell(tr, r.number, 'number');
    cell(tr, r.name, 'name');
    cell(tr, r.bike, 'bike');
    cell(tr, String(r.laps), 'num');
    cell(tr, lapText(r.last_lap_ms), 'num');
    cell(tr, lapText(r.best_lap_ms) + (r.best_lap > 0 ? ' (' + r.best_lap + ')' : ''), 'num');
    cell(tr, gapText(r), 'num');
    cell(tr, penaltyText(r), 'num penalty');
    cell(tr, r.finished ? 'Finished' : (r.connected ? '' : 'Left'), 'flag');
    body.appendChild(tr);
  }
  el('order').replaceChild(body, el('order').tBodies[0]);
  el('empty').hidden = live.riders.length > 0;
  document.body.dataset.version = String(live.version);
  document.body.dataset.updates = String(++updates);
  el('updated').textContent = new Date().toLocaleTimeString();
  if (live.race !== lastRace || live.final !== lastFinal) {
    lastRace = live.race;
    lastFinal = live.final;
    pollHistory();
  }
}

function showHistory(history) {
  const past = el('past');
  past.replaceChildren();
  if (history.races.length === 0) {
    const p = document.createElement('p');
    p.textContent = 'None yet.';
    past.appendChild(p);
    return;
  }
  for (const race of history.races) {
    const box = document.createElement('details');
    box.className = 'past-race';
    if (past.childElementCount === 0) box.open = true;
    const summary = document.createElement('summary');
    const when = race.date > 0 ? new Date(race.date * 1000).toLocaleString() : '';
    summary.textContent = 'Race ' + race.race + ' on ' + race.track + (when ? ', ' + when : '');
    box.appendChild(summary);
    const table = document.createElement('table');
    const head = document.createElement('tr');
    for (const h of ['Pos', 'No.', 'Rider', 'Bike', 'Laps', 'Total time']) {
      const th = document.createElement('th');
      th.textContent = h;
      head.appendChild(th);
    }
    const thead = document.createElement('thead');
    thead.appendChild(head);
    table.appendChild(thead);
    const tbody = document.createElement('tbody');
    for (const r of race.riders) {
      const tr = document.createElement('tr');
      cell(tr, String(r.position), 'pos');
      cell(tr, r.number, 'number');
      cell(tr, r.name, 'name');
      cell(tr, r.bike, 'bike');
      cell(tr, String(r.laps), 'num');
      cell(tr, r.total, 'num');
      tbody.appendChild(tr);
    }
    table.appendChild(tbody);
    box.appendChild(table);
    past.appendChild(box);
  }
}

async function fetchJson(path) {
  const answer = await fetch(path, {cache: 'no-store'});
  if (!answer.ok) throw new Error(path + ': ' + answer.status);
  return answer.json();
}

async function pollLive() {
  try {
    showLive(await fetchJson('/api/live'));
    el('status').textContent = 'Live';
    el('status').className = 'status live';
  } catch (e) {
    el('status').textContent = 'No answer from the server; trying again';
    el('status').className = 'status lost';
  }
  setTimeout(pollLive, kLivePollMs);
}

async function pollHistory() {
  try {
    showHistory(await fetchJson('/api/results'));
  } catch (e) {
    // The next poll tries again; the live table says when the server is gone.
  }
}

pollLive();
setInterval(pollHistory, kHistoryPollMs);
)JS";

const char* const kLivePageStyle = R"CSS(
body { margin: 0; font-family: "DejaVu Sans", Verdana, sans-serif; background: #f3efe6; color: #222; }
header { display: flex; align-items: center; justify-content: space-between;
  background: #4a3524; color: #fff; padding: 0.6em 1em; }
h1 { font-size: 1.4em; margin: 0; }
h2 { font-size: 1.1em; margin: 1.2em 0 0.4em; }
main { padding: 0.5em 1em; }
.status { font-size: 0.9em; padding: 0.2em 0.6em; border-radius: 0.3em; background: #777; }
.status.live { background: #2f7d32; }
.status.lost { background: #b3261e; }
.facts { display: flex; flex-wrap: wrap; gap: 0.5em 2em; margin: 0.6em 0 0.8em; }
.facts div { display: flex; flex-direction: column; }
.label { font-size: 0.75em; text-transform: uppercase; color: #7a6a58; }
.facts span:not(.label) { font-size: 1.3em; font-weight: bold; font-variant-numeric: tabular-nums; }
table { border-collapse: collapse; width: 100%; background: #fff; }
th { text-align: left; background: #d9cbb4; font-size: 0.85em; padding: 0.35em 0.5em; }
td { padding: 0.3em 0.5em; border-top: 1px solid #e6dccb; }
td.num { font-variant-numeric: tabular-nums; text-align: right; }
td.pos, td.number { font-weight: bold; }
td.name { white-space: pre-wrap; word-break: break-all; }
tr.finished td.flag { color: #2f7d32; font-weight: bold; }
tr.left td { color: #999; }
td.penalty { color: #b3261e; }
details.past-race { margin: 0.4em 0; }
summary { cursor: pointer; font-weight: bold; padding: 0.2em 0; }
footer { padding: 0.5em 1em; font-size: 0.8em; color: #7a6a58; }
)CSS";

}  // namespace brserver
