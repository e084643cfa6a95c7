#include "host/html_assets.h"

const char kHtmlStylesheet[] = R"CSS(/* System report */
:root {
  --fg: #1d2330; --muted: #5c6577; --line: #d5dae3; --head: #e9eef6; --row-head: #f4f6fa;
  --accent: #1f5fbf; --zebra: #f8fafc; --hit: #fff0a0; --error: #c62828; --warning: #d98b00;
  --banner: #17325a;
}
* { box-sizing: border-box; }
[hidden] { display: none !important; }
html { -webkit-text-size-adjust: 100%; }
body {
  margin: 0; color: var(--fg); background: #fff;
  font: 15px/1.45 system-ui, -apple-system, "Segoe UI", Roboto, "Helvetica Neue", Arial, sans-serif;
}
a { color: var(--accent); }
h1 { font-size: 1.6rem; margin: .2rem 0 1rem; line-height: 1.25; }
h2 { font-size: 1.2rem; margin: 1.8rem 0 .6rem; }
h3 { font-size: 1.05rem; margin: 1.4rem 0 .5rem; }
h2.compare, h3.compare { color: #8a4300; }
hr { border: 0; border-top: 1px solid var(--line); margin: 1.5rem 0; }
.mono {
  font-family: ui-monospace, SFMono-Regular, Menlo, Consolas, "Liberation Mono", monospace;
  font-size: .86em; white-space: pre-wrap;
}

.site-header {
  display: flex; align-items: center; justify-content: space-between; gap: 1rem;
  padding: .65rem 1.4rem; background: var(--banner); color: #fff;
}
.site-header a { color: #fff; text-decoration: none; font-weight: 600; }
.site-header .home span { font-weight: 400; opacity: .75; margin-left: .35rem; }
.site-header .to-nav { display: none; font-weight: 400; white-space: nowrap; }
/* The sidebar's shade runs the page's full height. */
.layout {
  display: flex; align-items: flex-start;
  background: linear-gradient(to right, #f9fafc 16.5rem, var(--line) 16.5rem, var(--line) calc(16.5rem + 1px), #fff calc(16.5rem + 1px));
}
.layout.plain { background: none; }
.main { flex: 1 1 auto; min-width: 0; padding: 1.2rem 1.8rem 3rem; }
.site-footer { padding: 1rem 1.8rem; color: var(--muted); font-size: .8rem; border-top: 1px solid var(--line); }

.nav {
  flex: 0 0 16.5rem; position: sticky; top: 0; max-height: 100vh; overflow-y: auto;
  padding: .8rem .9rem 2rem; font-size: .88rem;
}
.nav ul { list-style: none; margin: 0 0 .6rem; padding: 0; }
.nav a { display: block; padding: .14rem .45rem; border-radius: 4px; text-decoration: none; }
.nav a:hover { background: #e6edf8; }
.nav a[aria-current] { background: var(--accent); color: #fff; }
.nav .nav-home { margin: 0 0 .4rem; font-weight: 600; }
.nav .nav-title {
  margin: .9rem 0 .25rem .45rem; font-size: .72rem; font-weight: 700; letter-spacing: .06em;
  text-transform: uppercase; color: var(--muted);
}
.nav .empty a, .pages .empty a { color: var(--muted); }
.nav .badge { display: none; }
.badge {
  font-size: .7rem; color: var(--muted); border: 1px solid var(--line); border-radius: 3px;
  padding: 0 .3rem; white-space: nowrap;
}

.crumb { margin: 0; color: var(--muted); font-size: .8rem; font-weight: 600; letter-spacing: .05em; text-transform: uppercase; }
.page-link { font-size: .9rem; font-weight: 400; margin-left: .4rem; }
.lead { color: var(--muted); max-width: 62rem; }
.note { color: var(--muted); font-style: italic; }
.visually-hidden {
  position: absolute; width: 1px; height: 1px; overflow: hidden; clip: rect(0 0 0 0); white-space: nowrap;
}

.table-wrap { overflow-x: auto; margin: 0 0 1.3rem; }
table.grid { border-collapse: collapse; width: 100%; font-size: .9rem; }
table.grid caption { text-align: left; font-weight: 600; padding: .3rem 0; }
table.grid th, table.grid td {
  border: 1px solid var(--line); padding: .3rem .55rem; text-align: left; vertical-align: top;
  white-space: pre-line; overflow-wrap: break-word;
}
table.grid thead th { background: var(--head); font-weight: 600; }
table.grid tbody th { background: var(--row-head); font-weight: 600; }
table.grid tbody tr:nth-child(even) td { background: var(--zebra); }
table.grid td.mono { white-space: pre-wrap; }
table.grid .long { overflow-wrap: anywhere; }
table.grid td.same { color: #7b8496; font-style: italic; background: repeating-linear-gradient(135deg, #eef0f4 0 5px, #fff 5px 10px); }
table.grid td.message { font-style: italic; background: #fff8e1; }
.alt { display: block; margin-top: .15rem; font-size: .8em; color: var(--muted); }
.alt::before { content: "\21B3\00A0"; }
tr.member > :first-child { padding-left: 1.7rem; }
tr.member > th:first-child::before { content: "\21B3\00A0"; color: var(--muted); }
tr.group-start > * { border-top: 2px solid #aab4c4; }
tr.top-finding td { font-weight: 600; }
a.result-file { white-space: nowrap; }

table.sortable thead th { padding: 0; }
table.sortable thead th button {
  display: block; width: 100%; padding: .3rem .55rem; border: 0; background: none; cursor: pointer;
  font: inherit; font-weight: 600; color: inherit; text-align: left;
}
table.sortable thead th button::after { content: " \2195"; color: #98a2b3; font-size: .85em; }
table.sortable thead th[aria-sort="ascending"] button::after { content: " \25B2"; color: var(--accent); }
table.sortable thead th[aria-sort="descending"] button::after { content: " \25BC"; color: var(--accent); }
table.sortable thead th:hover { background: #dde5f2; }
table.sortable thead th button:focus-visible { outline: 2px solid var(--accent); outline-offset: -2px; }

.table-tools { display: flex; flex-wrap: wrap; align-items: center; gap: .6rem; margin: .2rem 0 .45rem; }
.table-tools input, .search input {
  font: inherit; padding: .35rem .6rem; border: 1px solid #b3bdcc; border-radius: 4px; min-width: 17rem;
}
.filter-count { color: var(--muted); font-size: .85rem; }
.hit { background: var(--hit) !important; }
.search-banner {
  display: flex; flex-wrap: wrap; gap: .8rem; align-items: center;
  background: var(--hit); padding: .45rem .8rem; border-radius: 4px; margin: .4rem 0 1rem;
}
.search-banner button { font: inherit; font-size: .85rem; cursor: pointer; }

table.summary { border-collapse: collapse; margin: 0 0 1.4rem; }
table.summary th, table.summary td { padding: .25rem 1.2rem .25rem 0; text-align: left; vertical-align: top; border-bottom: 1px solid #edf0f4; }
table.summary th { color: var(--muted); font-weight: 600; white-space: nowrap; }
.search { margin: 1rem 0 1.6rem; padding: 1rem 1.1rem; background: #f2f6fc; border: 1px solid var(--line); border-radius: 6px; }
.search label { display: block; font-weight: 600; margin-bottom: .4rem; }
.search input { width: 100%; max-width: 42rem; }
.search-results p { margin: .7rem 0 .3rem; color: var(--muted); }
.search-results ol { margin: .3rem 0 0; padding-left: 1.4rem; }
.search-results li { margin: .45rem 0; }
.search-results .where { color: var(--muted); font-size: .8rem; margin-left: .4rem; }
.search-results .snippet { font-size: .85rem; color: #333; overflow-wrap: break-word; }
.search-results mark { background: var(--hit); }
.contents { columns: 3 17rem; column-gap: 2.2rem; }
.category { break-inside: avoid; margin-bottom: 1.1rem; }
.category h3 { margin: .2rem 0 .35rem; }
.pages { list-style: none; margin: 0; padding: 0; }
.pages li { padding: .12rem 0; }

@media (max-width: 820px) {
  body { font-size: 14px; }
  .site-header { padding: .6rem 1rem; }
  .site-header .to-nav { display: inline; }
  .layout { flex-direction: column; background: none; }
  .main { order: 1; width: 100%; padding: 1rem; }
  .nav {
    order: 2; position: static; width: 100%; max-height: none; flex-basis: auto;
    border-top: 1px solid var(--line); background: #f9fafc;
  }
  table.grid { width: 100% !important; }
  table.grid.wide { min-width: 46rem; }
  .table-tools input, .search input { min-width: 0; flex: 1 1 12rem; }
  .contents { columns: 1; }
}

@media print {
  .nav, .site-header .to-nav, .table-tools, .search, .search-banner { display: none !important; }
  body { font-size: 10pt; color: #000; }
  .site-header { background: none; color: #000; border-bottom: 1px solid #000; padding: 0 0 .3rem; }
  .site-header a, a { color: #000; text-decoration: none; }
  .main { padding: 0; }
  .layout { background: none; }
  .table-wrap { overflow: visible; }
  table.grid { font-size: 8.5pt; }
  table.grid.wide { min-width: 0; }
  table.grid tbody tr:nth-child(even) td { background: none; }
  thead { display: table-header-group; }
  tr { break-inside: avoid; }
  h1, h2, h3 { break-after: avoid; }
  table.sortable thead th button::after { content: ""; }
  .alt { color: #333; }
  .hit { background: none !important; }
}

/* Severity: of log records (a word in the leading column and a bar beside
   the row), of the problems on the index; the toggle keeps errors and warnings. */
:root { --sev-critical: #8e0000; --sev-error: #c62828; --sev-warning: #a85800; --sev-info: #5c6577; }
tr[data-sev="critical"] > :first-child { box-shadow: inset 4px 0 0 var(--sev-critical); }
tr[data-sev="error"] > :first-child { box-shadow: inset 4px 0 0 var(--sev-error); }
tr[data-sev="warning"] > :first-child { box-shadow: inset 4px 0 0 var(--sev-warning); }
.sev { font-weight: 600; white-space: nowrap; }
[data-sev="critical"] .sev { color: var(--sev-critical); }
[data-sev="error"] .sev { color: var(--sev-error); }
[data-sev="warning"] .sev { color: var(--sev-warning); }
[data-sev="info"] .sev { color: var(--sev-info); font-weight: 400; }
table.sev-only-on tbody tr:not([data-sev="critical"]):not([data-sev="error"]):not([data-sev="warning"]) { display: none; }
.sev-toggle { white-space: nowrap; cursor: pointer; }
.table-tools .sev-toggle input { min-width: 0; margin: 0 .35rem 0 0; padding: 0; vertical-align: middle; }
tr:target > * { background: var(--hit) !important; }
.problems { list-style: none; margin: 0 0 1.4rem; padding: 0; }
.problems li { padding: .15rem 0; }
.problems .sev { display: inline-block; min-width: 5.2rem; }
.problems .count {
  display: inline-block; min-width: 1.6rem; margin-left: .3rem; padding: 0 .35rem; border: 1px solid var(--line);
  border-radius: 3px; font-size: .8rem; text-align: center; color: var(--fg);
}
@media print { .sev-toggle { display: none; } }

/* What changed: one line per difference, volatile ones folded, line diffs. */
.changes-link { font-size: 1.05rem; padding: .5rem .8rem; border-left: 4px solid var(--accent); background: var(--row-head); }
.changes-link a { font-weight: 600; }
.changes-page h2 .badge { font-size: .8rem; font-weight: 400; color: var(--muted); }
ul.changes { list-style: none; margin: .3rem 0 .8rem; padding: 0; }
ul.changes li { padding: .25rem 0; border-bottom: 1px solid var(--line); overflow-wrap: anywhere; }
ul.changes .where { font-weight: 600; }
ul.changes .old { background: #fde8e8; color: #8a1c1c; padding: 0 .2rem; }
ul.changes .new { background: #e3f4e6; color: #1b5e20; padding: 0 .2rem; }
ul.changes .missing, ul.changes .unique { color: #8a4300; }
ul.changes .source { color: var(--muted); }
details.volatile { margin: .3rem 0 1rem; color: var(--muted); }
details.volatile summary { cursor: pointer; }
pre.line-diff {
  margin: .3rem 0; padding: .4rem .6rem; overflow-x: auto; background: var(--zebra); border: 1px solid var(--line);
  font-family: ui-monospace, SFMono-Regular, Menlo, Consolas, "Liberation Mono", monospace; font-size: .84em;
}
pre.line-diff .del { background: #fde8e8; color: #8a1c1c; }
pre.line-diff .ins { background: #e3f4e6; color: #1b5e20; }
pre.line-diff .skip { color: var(--muted); font-style: italic; }
table.new-records { border-collapse: collapse; width: 100%; }
table.new-records th, table.new-records td { border: 1px solid var(--line); padding: .25rem .5rem; text-align: left; vertical-align: top; }
table.new-records th { background: var(--head); }
table.new-records td.time { white-space: nowrap; }
)CSS";

const char kHtmlScript[] = R"JS(// System report: table sorting and filtering, report search, search hits.
(function () {
  'use strict';

  const NUMBER = /^[-+]?(\d+(\.\d*)?|\.\d+)([eE][-+]?\d+)?$/;

  function termsOf(query) {
    return query.toLowerCase().split(/\s+/).filter(Boolean);
  }

  function matchesAll(text, terms) {
    return terms.every((term) => text.indexOf(term) >= 0);
  }

  function cellKey(cell) {
    return (cell.hasAttribute('data-v') ? cell.getAttribute('data-v') : cell.textContent).trim();
  }

  function compareDigitRuns(a, b) {
    a = a.replace(/^0+(?=\d)/, '');
    b = b.replace(/^0+(?=\d)/, '');
    if (a.length !== b.length) return a.length - b.length;
    return a < b ? -1 : a > b ? 1 : 0;
  }

  // Plain numbers by value; otherwise digit runs as numbers and the rest
  // without regard to case, numbers before text.
  function naturalCompare(a, b) {
    if (NUMBER.test(a) && NUMBER.test(b)) return parseFloat(a) - parseFloat(b);
    const pa = a.toLowerCase().match(/\d+|\D+/g) || [];
    const pb = b.toLowerCase().match(/\d+|\D+/g) || [];
    for (let i = 0; i < pa.length && i < pb.length; i++) {
      const da = /^\d/.test(pa[i]);
      const db = /^\d/.test(pb[i]);
      let d;
      if (da && db) d = compareDigitRuns(pa[i], pb[i]);
      else if (da !== db) d = da ? -1 : 1;
      else d = pa[i] < pb[i] ? -1 : pa[i] > pb[i] ? 1 : 0;
      if (d) return d;
    }
    return pa.length - pb.length;
  }

  function sortTable(table, header, column) {
    const body = table.tBodies[0];
    const ascending = header.getAttribute('aria-sort') !== 'ascending';
    const keyed = Array.from(body.rows, (row, index) => ({
      row: row, index: index, key: row.cells[column] ? cellKey(row.cells[column]) : ''
    }));
    keyed.sort((x, y) => {
      if (!x.key !== !y.key) return x.key ? -1 : 1;  // empty cells last
      const d = naturalCompare(x.key, y.key);
      return (ascending ? d : -d) || x.index - y.index;
    });
    for (const cell of header.parentNode.cells) cell.setAttribute('aria-sort', 'none');
    header.setAttribute('aria-sort', ascending ? 'ascending' : 'descending');
    const rows = document.createDocumentFragment();
    for (const entry of keyed) rows.appendChild(entry.row);
    body.appendChild(rows);
  }

  function setUpSorting(table) {
    if (!table.tHead || !table.tBodies.length) return;
    const headerRow = table.tHead.rows[table.tHead.rows.length - 1];
    Array.from(headerRow.cells).forEach((header, column) => {
      const button = document.createElement('button');
      button.type = 'button';
      button.title = 'Sort by this column';
      while (header.firstChild) button.appendChild(header.firstChild);
      header.appendChild(button);
      header.setAttribute('aria-sort', 'none');
      button.addEventListener('click', () => sortTable(table, header, column));
    });
  }

  function setUpFilter(input) {
    const table = document.getElementById(input.getAttribute('data-table'));
    if (!table || !table.tBodies.length) return;
    const count = document.getElementById(table.id + '-count');
    const textOf = new WeakMap();
    input.addEventListener('input', () => {
      const terms = termsOf(input.value);
      const rows = table.tBodies[0].rows;
      let shown = 0;
      for (const row of rows) {
        if (!textOf.has(row)) textOf.set(row, row.textContent.toLowerCase());
        const match = matchesAll(textOf.get(row), terms);
        row.hidden = !match;
        if (match) shown++;
      }
      if (count) count.textContent = terms.length ? shown + ' of ' + rows.length + ' rows' : '';
    });
  }

  // Appends text with the places that match a term marked.
  function appendMarked(parent, text, terms) {
    const lower = text.toLowerCase();
    let at = 0;
    while (at < text.length) {
      let next = -1;
      let length = 0;
      for (const term of terms) {
        const found = lower.indexOf(term, at);
        if (found >= 0 && (next < 0 || found < next)) { next = found; length = term.length; }
      }
      if (next < 0) break;
      parent.appendChild(document.createTextNode(text.slice(at, next)));
      const mark = document.createElement('mark');
      mark.textContent = text.slice(next, next + length);
      parent.appendChild(mark);
      at = next + length;
    }
    parent.appendChild(document.createTextNode(text.slice(at)));
  }

  const MAX_RESULT_PAGES = 60;
  const MAX_SNIPPETS = 3;

  function searchResult(page, query, terms, matches, snippets) {
    const item = document.createElement('li');
    const link = document.createElement('a');
    link.href = page.f + '#q=' + encodeURIComponent(query);
    link.textContent = page.n;
    item.appendChild(link);
    const where = document.createElement('span');
    where.className = 'where';
    where.textContent = (page.c ? page.c + ' \u00b7 ' : '') +
        (matches ? matches + (matches === 1 ? ' matching value' : ' matching values') : 'page name');
    item.appendChild(where);
    for (const text of snippets) {
      const snippet = document.createElement('div');
      snippet.className = 'snippet';
      appendMarked(snippet, text, terms);
      item.appendChild(snippet);
    }
    return item;
  }

  function runSearch(data, query, results) {
    results.textContent = '';
    const terms = termsOf(query);
    if (!terms.length) return;
    const list = document.createElement('ol');
    let pages = 0;
    for (const page of data) {
      const snippets = [];
      let matches = 0;
      for (const text of page.t) {
        if (!matchesAll(text.toLowerCase(), terms)) continue;
        matches++;
        if (snippets.length < MAX_SNIPPETS) snippets.push(text);
      }
      if (!matches && !matchesAll(page.n.toLowerCase(), terms)) continue;
      if (++pages <= MAX_RESULT_PAGES) list.appendChild(searchResult(page, query, terms, matches, snippets));
    }
    const summary = document.createElement('p');
    summary.textContent = pages === 0 ? 'Nothing found for \u201c' + query + '\u201d.'
        : pages + (pages === 1 ? ' page matches' : ' pages match') +
          (pages > MAX_RESULT_PAGES ? '; the first ' + MAX_RESULT_PAGES + ' are listed.' : '.');
    results.appendChild(summary);
    if (pages) results.appendChild(list);
  }

  function setUpSearch() {
    const box = document.getElementById('search-box');
    const data = window.QZA_SEARCH_DATA;
    if (!box || !Array.isArray(data)) return;
    box.hidden = false;
    const input = document.getElementById('search');
    const results = document.getElementById('search-results');
    let timer = 0;
    input.addEventListener('input', () => {
      clearTimeout(timer);
      timer = setTimeout(() => runSearch(data, input.value.trim(), results), 120);
    });
  }

  function clearHits(main) {
    for (const hit of main.querySelectorAll('.hit')) hit.classList.remove('hit');
    const banner = document.getElementById('search-banner');
    if (banner) banner.remove();
  }

  // A page opened from a search result (page.html#q=words) marks what matches.
  function markSearchHits() {
    const main = document.getElementById('main');
    const found = /^#q=(.*)$/.exec(location.hash);
    if (!main) return;
    clearHits(main);
    if (!found) return;
    let query;
    try { query = decodeURIComponent(found[1]); } catch (e) { return; }
    const terms = termsOf(query);
    if (!terms.length) return;
    let first = null;
    let count = 0;
    for (const cell of main.querySelectorAll('td, th, h1, h2, h3')) {
      if (!matchesAll(cell.textContent.toLowerCase(), terms)) continue;
      cell.classList.add('hit');
      first = first || cell;
      count++;
    }
    const banner = document.createElement('div');
    banner.id = 'search-banner';
    banner.className = 'search-banner';
    const text = document.createElement('span');
    text.textContent = count + (count === 1 ? ' place matches' : ' places match') + ' \u201c' + query + '\u201d.';
    const clear = document.createElement('button');
    clear.type = 'button';
    clear.textContent = 'Clear';
    clear.addEventListener('click', () => {
      clearHits(main);
      history.replaceState(null, '', location.pathname + location.search);
    });
    banner.appendChild(text);
    banner.appendChild(clear);
    main.insertBefore(banner, main.firstChild);
    if (first) first.scrollIntoView({ block: 'center' });
  }

  // "Errors and warnings only" hides the table's other rows, whatever its
  // text filter shows.
  function setUpSeverityToggle(box) {
    const table = document.getElementById(box.getAttribute('data-table'));
    if (!table) return;
    const apply = () => table.classList.toggle('sev-only-on', box.checked);
    box.addEventListener('change', apply);
    apply();
  }

  document.querySelectorAll('table.sortable').forEach(setUpSorting);
  document.querySelectorAll('input.sev-only').forEach(setUpSeverityToggle);
  document.querySelectorAll('input.filter').forEach(setUpFilter);
  setUpSearch();
  markSearchHits();
  window.addEventListener('hashchange', markSearchHits);
})();
)JS";
