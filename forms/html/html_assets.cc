#include "forms/html/html_assets.h"

const char kHtmlStylesheet[] = R"CSS(/* System report */
:root {
  color-scheme: light dark;
  --fg: #1d2330; --muted: #5c6577; --line: #d5dae3; --head: #e9eef6; --row-head: #f4f6fa;
  --accent: #1f5fbf; --zebra: #f8fafc; --hit: #fff0a0;
  --banner: #17325a;
  /* Colours that keep a contrast of 4.5:1 on every background they are used on. */
  --bg: #fff; --sidebar: #f9fafc; --hover: #e6edf8; --on-accent: #fff; --compare: #8a4300;
  --same-fg: #4f5868; --same-stripe: #eef0f4; --message-bg: #fff8e1; --panel: #f2f6fc;
  --input-line: #8a94a6; --group-line: #aab4c4; --snippet: #333; --sort-mark: #5c6577;
}
* { box-sizing: border-box; }
[hidden] { display: none !important; }
html { -webkit-text-size-adjust: 100%; }
body {
  margin: 0; color: var(--fg); background: var(--bg);
  font: 15px/1.45 system-ui, -apple-system, "Segoe UI", Roboto, "Helvetica Neue", Arial, sans-serif;
}
a { color: var(--accent); }
h1 { font-size: 1.6rem; margin: .2rem 0 1rem; line-height: 1.25; }
h2 { font-size: 1.2rem; margin: 1.8rem 0 .6rem; }
h3 { font-size: 1.05rem; margin: 1.4rem 0 .5rem; }
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
  background: linear-gradient(to right, var(--sidebar) 16.5rem, var(--line) 16.5rem,
              var(--line) calc(16.5rem + 1px), var(--bg) calc(16.5rem + 1px));
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
.nav a:hover { background: var(--hover); }
.nav a[aria-current], .nav .empty a[aria-current] { background: var(--accent); color: var(--on-accent); }
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
table.grid td.same {
  color: var(--same-fg); font-style: italic;
  background: repeating-linear-gradient(135deg, var(--same-stripe) 0 5px, var(--bg) 5px 10px);
}
table.grid td.message { font-style: italic; background: var(--message-bg); }
.alt { display: block; margin-top: .15rem; font-size: .8em; color: var(--muted); }
.alt::before { content: "\21B3\00A0"; }
tr.member > :first-child { padding-left: 1.7rem; }
tr.member > th:first-child::before { content: "\21B3\00A0"; color: var(--muted); }
tr.group-start > * { border-top: 2px solid var(--group-line); }
tr.top-finding td { font-weight: 600; }
a.result-file { white-space: nowrap; }

table.sortable thead th { padding: 0; }
table.sortable thead th button {
  display: block; width: 100%; padding: .3rem .55rem; border: 0; background: none; cursor: pointer;
  font: inherit; font-weight: 600; color: inherit; text-align: left;
}
table.sortable thead th button::after { content: " \2195"; color: var(--sort-mark); font-size: .85em; }
table.sortable thead th[aria-sort="ascending"] button::after { content: " \25B2"; color: var(--accent); }
table.sortable thead th[aria-sort="descending"] button::after { content: " \25BC"; color: var(--accent); }
table.sortable thead th:hover { background: var(--hover); }
table.sortable thead th button:focus-visible { outline: 2px solid var(--accent); outline-offset: -2px; }

.table-tools { display: flex; flex-wrap: wrap; align-items: center; gap: .6rem; margin: .2rem 0 .45rem; }
.table-tools input, .search input {
  font: inherit; padding: .35rem .6rem; border: 1px solid var(--input-line); border-radius: 4px; min-width: 17rem;
  background: var(--bg); color: var(--fg);
}
.filter-count { color: var(--muted); font-size: .85rem; }
.hit { background: var(--hit) !important; }
.search-banner {
  display: flex; flex-wrap: wrap; gap: .8rem; align-items: center;
  background: var(--hit); padding: .45rem .8rem; border-radius: 4px; margin: .4rem 0 1rem;
}
.search-banner button { font: inherit; font-size: .85rem; cursor: pointer; }

table.summary { border-collapse: collapse; margin: 0 0 1.4rem; }
table.summary th, table.summary td { padding: .25rem 1.2rem .25rem 0; text-align: left; vertical-align: top; border-bottom: 1px solid var(--line); }
table.summary th { color: var(--muted); font-weight: 600; white-space: nowrap; }
.search { margin: 1rem 0 1.6rem; padding: 1rem 1.1rem; background: var(--panel); border: 1px solid var(--line); border-radius: 6px; }
.search label { display: block; font-weight: 600; margin-bottom: .4rem; }
.search input { width: 100%; max-width: 42rem; }
.search-results p { margin: .7rem 0 .3rem; color: var(--muted); }
.search-results ol { margin: .3rem 0 0; padding-left: 1.4rem; }
.search-results li { margin: .45rem 0; }
.search-results .where { color: var(--muted); font-size: .8rem; margin-left: .4rem; }
.search-results .snippet { font-size: .85rem; color: var(--snippet); overflow-wrap: break-word; }
.search-results mark { background: var(--hit); }
.contents { columns: 3 17rem; column-gap: 2.2rem; }
.category { break-inside: avoid; margin-bottom: 1.1rem; }
.category h3 { margin: .2rem 0 .35rem; }
.pages { list-style: none; margin: 0; padding: 0; }
.pages li { padding: .12rem 0; }

/* Readable values, section anchors and contents. */
h2.compare, h3.compare { color: var(--compare); }
.readable { border-bottom: 1px dotted var(--muted); cursor: help; }
.readable.exact { font-family: ui-monospace, SFMono-Regular, Menlo, Consolas, "Liberation Mono", monospace; font-size: .9em; }
.anchor { margin-left: .4rem; font-size: .8em; font-weight: 400; text-decoration: none; opacity: 0; }
h1:hover .anchor, h2:hover .anchor, h3:hover .anchor, .anchor:focus { opacity: 1; }
.page-contents {
  margin: 0 0 1.4rem; padding: .6rem 1rem; border: 1px solid var(--line); border-radius: 6px;
  background: var(--panel); max-width: 62rem; font-size: .9rem;
}
.page-contents h2 { margin: 0 0 .3rem; font-size: .95rem; }
.page-contents ol { margin: 0; padding-left: 1.3rem; columns: 2 18rem; column-gap: 2rem; }
.page-contents li.sub { margin-left: 1rem; list-style-type: circle; }
.table-wrap:focus-visible { outline: 2px solid var(--accent); outline-offset: 2px; }
/* Long tables a page of rows at a time (report.js); the search box of every page; */
/* wide tables scroll inside their frame; dates with their time stay on one line. */
.pager { display: flex; flex-wrap: wrap; align-items: center; gap: .4rem; margin: -.8rem 0 1.3rem; font-size: .85rem; }
.pager button {
  font: inherit; padding: .2rem .6rem; border: 1px solid #b3bdcc; border-radius: 4px; background: #fff;
  color: var(--fg); cursor: pointer;
}
.pager button:disabled { color: var(--muted); cursor: default; opacity: .6; }
.pager-at { color: var(--muted); padding: 0 .3rem; }
.table-wrap { max-width: 100%; }
/* A wide table scrolls inside its frame; its row labels stay in view. */
table.grid.wide tbody th:first-child { position: sticky; left: 0; z-index: 1; }
table.grid .time { white-space: nowrap; }
/* A table of free text (a log) gives its message column what the others, */
/* as narrow as their longest words, leave, and at least a readable */
/* measure: a long name or path of theirs breaks rather than squeeze it. */
/* Its times may break between date and time for that. */
table.grid.free-text col.fit { width: 1%; }
table.grid.free-text col.free { width: 40%; }
table.grid.free-text .long { overflow-wrap: anywhere; }
table.grid.free-text th.free { min-width: min(24rem, 40vw); }
table.grid.free-text td.time { white-space: normal; min-width: 6.5rem; }
/* A frame with more of its table beyond an edge fades out there (report.js). */
.table-wrap.more-left, .table-wrap.more-right {
  --fade-left: 0px; --fade-right: 0px;
  -webkit-mask-image: linear-gradient(to right, transparent, #000 var(--fade-left), #000 calc(100% - var(--fade-right)), transparent);
  mask-image: linear-gradient(to right, transparent, #000 var(--fade-left), #000 calc(100% - var(--fade-right)), transparent);
}
.table-wrap.more-left { --fade-left: 3rem; }
.table-wrap.more-right { --fade-right: 3rem; }
@media print { .table-wrap.more-left, .table-wrap.more-right { -webkit-mask-image: none; mask-image: none; } }
.site-header .search {
  position: relative; flex: 0 1 24rem; margin: 0; padding: 0; background: none; border: 0;
}
.site-header .search input { width: 100%; min-width: 0; max-width: none; padding: .25rem .6rem; border-color: transparent; }
.site-header .search-results:empty { display: none; }
.site-header .search-results {
  position: absolute; right: 0; top: calc(100% + .4rem); z-index: 10; width: min(40rem, 92vw);
  max-height: 70vh; overflow: auto; padding: .2rem 1rem .8rem; background: #fff; color: var(--fg);
  border: 1px solid var(--line); border-radius: 6px; box-shadow: 0 6px 24px rgba(0, 0, 0, .2);
}
.site-header .search-results a { color: var(--accent); text-decoration: underline; }
@media (max-width: 820px) {
  .site-header { flex-wrap: wrap; }
  .site-header .search { order: 3; flex: 1 1 100%; }
}
@media print { .pager { display: none !important; } }

@media (max-width: 820px) {
  body { font-size: 14px; }
  .site-header { padding: .6rem 1rem; }
  .site-header .to-nav { display: inline; }
  .layout { flex-direction: column; background: none; }
  .main { order: 1; width: 100%; padding: 1rem; }
  .nav {
    order: 2; position: static; width: 100%; max-height: none; flex-basis: auto;
    border-top: 1px solid var(--line); background: var(--sidebar);
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
.problems .latest { display: block; margin-left: 5.2rem; font-size: .85rem; color: var(--muted); overflow-wrap: anywhere; }
.problems .latest .time { white-space: nowrap; margin-right: .4rem; }
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
/* Dark mode: the system's preference redefines the colours; print stays light. */
@media screen and (prefers-color-scheme: dark) {
  :root {
    --fg: #e3e8f0; --muted: #a9b3c4; --line: #3a4457; --head: #26314a; --row-head: #1f2839;
    --accent: #8db8ff; --zebra: #1a212e; --hit: #5e4b00;
    --banner: #0b1628; --bg: #131922; --sidebar: #171e2a; --hover: #2a3650; --on-accent: #0b1220;
    --compare: #ffb26b; --same-fg: #b4bccb; --same-stripe: #1d2533; --message-bg: #3a3118; --panel: #1a2230;
    --input-line: #5d6880; --group-line: #56627a; --snippet: #d0d6e0; --sort-mark: #a9b3c4;
    --sev-critical: #ff9a9a; --sev-error: #ff7a7a; --sev-warning: #f2b84b; --sev-info: #a9b3c4;
  }
  .pager button, .site-header .search-results { background: var(--bg); border-color: var(--input-line); }
  ul.changes .missing, ul.changes .unique { color: var(--compare); }
}
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

  // A cell's sort key, computed once per column: its value when it is a
  // plain number, and one string whose code-unit order is the natural order
  // (digit runs by value, the rest without regard to case, numbers before
  // text): a digit run becomes \u0001, its length and its digits, below any
  // text. Sorting a long table then makes no regular-expression call per
  // comparison.
  function isDigit(code) { return code >= 48 && code <= 57; }

  function sortKey(text) {
    const lower = (/[\u0000-\u0001]/.test(text) ? text.replace(/[\u0000-\u0001]/g, ' ') : text).toLowerCase();
    let natural = '';
    let copied = 0;
    for (let i = 0; i < lower.length; i++) {
      if (!isDigit(lower.charCodeAt(i))) continue;
      let first = i;
      while (i < lower.length && isDigit(lower.charCodeAt(i))) i++;
      natural += lower.slice(copied, first);
      while (first < i - 1 && lower.charCodeAt(first) === 48) first++;  // leading zeros
      natural += '\u0001' + String.fromCharCode(Math.min(i - first, 0xFFFF)) + lower.slice(first, i);
      copied = i;
    }
    natural += lower.slice(copied);
    return { number: NUMBER.test(text) ? parseFloat(text) : NaN, natural: natural, empty: !text };
  }

  function compareKeys(x, y) {
    if (!isNaN(x.number) && !isNaN(y.number)) return x.number - y.number;
    return x.natural < y.natural ? -1 : x.natural > y.natural ? 1 : 0;
  }

  // Rows of records with these severities pass the "errors and warnings" box.
  const GRAVE = new Set(['emergency', 'alert', 'critical', 'fatal', 'error', 'warning']);
  const PAGE_ROWS = 200;  // as the writer splits long tables
  const PREPARE_SLICE = 4000;
  const ENTITIES = { amp: '&', lt: '<', gt: '>', quot: '"', apos: '\'', nbsp: '\u00a0' };
  const TAG = /<[^>]*>/g;

  function decodeEntities(text) {
    if (text.indexOf('&') < 0) return text;
    return text.replace(/&(#[xX][0-9a-fA-F]+|#\d+|[a-zA-Z]+);/g, (entity, name) => {
      if (name[0] !== '#') return ENTITIES[name] || entity;
      const code = /^#[xX]/.test(name) ? parseInt(name.slice(2), 16) : parseInt(name.slice(1), 10);
      return code > 0 && code <= 0x10FFFF ? String.fromCodePoint(code) : entity;
    });
  }

  const ATTRIBUTES = {};
  for (const name of ['id', 'class', 'data-sev', 'data-v']) ATTRIBUTES[name] = new RegExp('\\s' + name + '="([^"]*)"');

  function attributeOf(tag, name) {
    const found = ATTRIBUTES[name].exec(tag);
    return found ? decodeEntities(found[1]) : null;
  }

  function graveOf(severity, classes) {
    if (severity !== null) return GRAVE.has(severity.toLowerCase());
    return /(^|\s)sev-(error|warning)(\s|$)/.test(classes || '');
  }

  // One body row: an element of the page, or the markup of a row that the
  // writer put after the first page (inside <noscript>, which the browser
  // keeps as one piece of text). Markup becomes an element when first shown;
  // its texts are read from the markup, so that sorting and filtering never
  // build the rows that are not shown.
  function Row(element, html) {
    this.element = element;
    this.html = html;
    this.texts = null;   // each cell's text
    this.values = null;  // each cell's sort value: data-v, else its text
    this.text = '';      // the row's text in lower case, for the filter
    this.id = '';
    this.grave = false;
    this.hits = null;    // cells that match the search, marked when shown
  }

  Row.prototype.prepare = function () {
    if (this.texts) return;
    if (this.element) {
      const cells = Array.from(this.element.cells);
      this.texts = cells.map((cell) => cell.textContent);
      this.values = cells.map(cellKey);
      this.id = this.element.id;
      this.grave = graveOf(this.element.getAttribute('data-sev'), this.element.className);
    } else {
      const html = this.html;
      const start = html.slice(0, html.indexOf('>') + 1);
      this.texts = [];
      this.values = [];
      // The writer's cells hold no table markup: each ends at the next </t.
      for (let at = html.indexOf('<t', 3); at >= 0; at = html.indexOf('<t', at)) {
        const open = html.indexOf('>', at) + 1;
        const close = html.indexOf('</t', open);
        if (open <= 0 || close < 0) break;
        const content = html.slice(open, close);
        const text = decodeEntities(content.indexOf('<') < 0 ? content : content.replace(TAG, ''));
        const value = open - at > 4 ? attributeOf(html.slice(at, open), 'data-v') : null;
        this.texts.push(text);
        this.values.push((value === null ? text : value).trim());
        at = close + 5;
      }
      if (start.length > 4) {
        this.id = attributeOf(start, 'id') || '';
        this.grave = graveOf(attributeOf(start, 'data-sev'), attributeOf(start, 'class'));
      }
    }
    this.text = this.texts.join('').toLowerCase();
  };

  Row.prototype.markHits = function () {
    if (!this.element || !this.hits) return;
    for (const index of this.hits) {
      const cell = this.element.cells[index];
      if (!cell) continue;
      cell.classList.add('hit');
      hits.push(cell);
    }
    this.hits = null;
  };

  // Builds the elements of rows given as markup, all at once.
  function materialize(rows) {
    const pending = rows.filter((row) => !row.element);
    if (!pending.length) return;
    const template = document.createElement('template');
    template.innerHTML = '<table><tbody>' + pending.map((row) => row.html).join('') + '</tbody></table>';
    const elements = Array.from(template.content.querySelector('tbody').rows);
    pending.forEach((row, index) => {
      row.element = elements[index];
      row.html = null;
      row.markHits();
    });
  }

  function markupRows(noscript) {
    const text = noscript.textContent;
    const start = text.indexOf('<tbody>');
    const end = text.lastIndexOf('</tbody>');
    if (start < 0 || end < start) return [];
    return text.slice(start + 7, end).split('</tr>').filter((html) => html.trim())
      .map((html) => new Row(null, html.trim() + '</tr>'));
  }

  const tables = [];

  // Every body row of a table, in the order shown: sorting, the filter box
  // and the severity box choose and order the rows, and one page of them is
  // in the document at a time.
  function TableModel(table) {
    this.table = table;
    this.body = table.tBodies[0];
    this.wrap = table.closest('.table-wrap') || table;
    const more = this.wrap.nextElementSibling;
    this.rows = Array.from(this.body.rows, (element) => new Row(element, null));
    if (more && more.tagName === 'NOSCRIPT' && more.getAttribute('data-table') === table.id) {
      this.rows = this.rows.concat(markupRows(more));
    }
    this.order = this.rows.map((row, index) => index);
    this.shown = this.order;
    this.keys = [];
    this.prepared = 0;
    this.page = 0;
    this.filter = null;
    this.severity = null;
    this.count = document.getElementById(table.id + '-count');
    this.pager = this.rows.length > PAGE_ROWS ? this.makePager() : null;
    if (this.pager) this.render();
  }

  TableModel.prototype.makePager = function () {
    const pager = document.createElement('div');
    pager.className = 'pager';
    const button = (label, title, page) => {
      const element = document.createElement('button');
      element.type = 'button';
      element.textContent = label;
      element.title = title;
      element.addEventListener('click', () => {
        this.showPage(page());
        this.table.scrollIntoView({ block: 'start' });
      });
      pager.appendChild(element);
      return element;
    };
    this.first = button('\u00ab', 'First rows', () => 0);
    this.previous = button('\u2039 Previous', 'Previous rows', () => this.page - 1);
    this.at = document.createElement('span');
    this.at.className = 'pager-at';
    this.at.setAttribute('aria-live', 'polite');
    pager.appendChild(this.at);
    this.next = button('Next \u203a', 'Next rows', () => this.page + 1);
    this.last = button('\u00bb', 'Last rows', () => this.pageCount() - 1);
    this.wrap.parentNode.insertBefore(pager, this.wrap.nextSibling);
    return pager;
  };

  TableModel.prototype.pageCount = function () {
    return Math.max(1, Math.ceil(this.shown.length / PAGE_ROWS));
  };

  TableModel.prototype.showPage = function (page) {
    this.page = Math.max(0, Math.min(page, this.pageCount() - 1));
    this.render();
  };

  TableModel.prototype.render = function () {
    const from = this.page * PAGE_ROWS;
    const to = Math.min(from + PAGE_ROWS, this.shown.length);
    this.renderRows(from, to);
    if (!this.pager) return;
    const total = this.shown.length;
    const number = (n) => n.toLocaleString('en');
    this.at.textContent = total ? 'Rows ' + number(from + 1) + '\u2013' + number(to) + ' of ' + number(total) : 'No rows';
    this.first.disabled = this.previous.disabled = this.page === 0;
    this.next.disabled = this.last.disabled = this.page >= this.pageCount() - 1;
  };

  TableModel.prototype.renderRows = function (from, to) {
    const rows = this.shown.slice(from, to).map((index) => this.rows[index]);
    materialize(rows);
    const fragment = document.createDocumentFragment();
    for (const row of rows) fragment.appendChild(row.element);
    this.body.textContent = '';
    this.body.appendChild(fragment);
  };

  // Reads the rows' texts a slice at a time while the reader looks at the
  // page; the first sort or filter reads what is left.
  TableModel.prototype.prepare = function (count) {
    const end = Math.min(this.rows.length, this.prepared + count);
    for (; this.prepared < end; this.prepared++) this.rows[this.prepared].prepare();
    return this.prepared < this.rows.length;
  };

  TableModel.prototype.prepareAll = function () { this.prepare(Infinity); };

  TableModel.prototype.keysOf = function (column) {
    if (!this.keys[column]) {
      this.prepareAll();
      this.keys[column] = this.rows.map((row) => sortKey(row.values[column] || ''));
    }
    return this.keys[column];
  };

  TableModel.prototype.sort = function (header, column) {
    const keys = this.keysOf(column);
    const ascending = header.getAttribute('aria-sort') !== 'ascending';
    // Stable: rows with equal keys keep their order.
    this.order = this.order.slice().sort((a, b) => {
      const x = keys[a];
      const y = keys[b];
      if (x.empty !== y.empty) return x.empty ? 1 : -1;  // empty cells last
      const d = compareKeys(x, y);
      return ascending ? d : -d;
    });
    for (const cell of header.parentNode.cells) cell.setAttribute('aria-sort', 'none');
    header.setAttribute('aria-sort', ascending ? 'ascending' : 'descending');
    this.choose(0);
  };

  TableModel.prototype.choose = function (page) {
    const terms = this.filter ? termsOf(this.filter.value) : [];
    const graveOnly = this.severity !== null && this.severity.checked;
    if (terms.length || graveOnly) {
      this.prepareAll();
      this.shown = this.order.filter((index) => (!graveOnly || this.rows[index].grave) &&
          (!terms.length || matchesAll(this.rows[index].text, terms)));
    } else {
      this.shown = this.order;
    }
    if (this.count) {
      this.count.textContent = terms.length || graveOnly ? this.shown.length + ' of ' + this.rows.length + ' rows' : '';
    }
    this.showPage(page);
  };

  TableModel.prototype.setUpSorting = function () {
    const table = this.table;
    if (!table.classList.contains('sortable') || !table.tHead) return;
    const headerRow = table.tHead.rows[table.tHead.rows.length - 1];
    Array.from(headerRow.cells).forEach((header, column) => {
      const button = document.createElement('button');
      button.type = 'button';
      button.title = 'Sort by this column';
      while (header.firstChild) button.appendChild(header.firstChild);
      header.appendChild(button);
      header.setAttribute('aria-sort', 'none');
      button.addEventListener('click', () => this.sort(header, column));
    });
  };

  // Shows the row, clearing the filters when they hide it; false for a row
  // of another table.
  TableModel.prototype.reveal = function (row) {
    const index = this.rows.indexOf(row);
    if (index < 0) return false;
    let at = this.shown.indexOf(index);
    if (at < 0) {
      if (this.filter) this.filter.value = '';
      if (this.severity) this.severity.checked = false;
      this.choose(0);
      at = this.shown.indexOf(index);
    }
    this.showPage(Math.floor(at / PAGE_ROWS));
    return true;
  };

  // Printing prints every row that the filters leave, in the order shown.
  TableModel.prototype.renderAll = function () { this.renderRows(0, this.shown.length); };

  function modelOf(table) {
    return tables.find((model) => model.table === table) || null;
  }

  // The table a box serves: the one it names, or the next table below it.
  function tableFor(input) {
    const named = input.getAttribute('data-table');
    if (named) return document.getElementById(named);
    return tables.map((model) => model.table).find((table) =>
      input.compareDocumentPosition(table) & Node.DOCUMENT_POSITION_FOLLOWING) || null;
  }

  function prepareInBackground() {
    const model = tables.find((candidate) => candidate.prepared < candidate.rows.length);
    if (!model) return;
    model.prepare(PREPARE_SLICE);
    setTimeout(prepareInBackground, 0);
  }

  function setUpTables() {
    for (const table of document.querySelectorAll('table.grid')) {
      if (table.tBodies.length !== 1 || !table.id) continue;
      const model = new TableModel(table);
      model.setUpSorting();
      tables.push(model);
    }
    for (const input of document.querySelectorAll('input.filter, input.sev-only')) {
      const model = modelOf(tableFor(input));
      if (!model) continue;
      if (input.classList.contains('sev-only')) {
        model.severity = input;
        input.addEventListener('change', () => model.choose(0));
      } else {
        model.filter = input;
        input.addEventListener('input', () => model.choose(0));
      }
      if (input.value || input.checked) model.choose(0);  // kept by the browser on going back
    }
    window.addEventListener('beforeprint', () => tables.forEach((model) => model.renderAll()));
    window.addEventListener('afterprint', () => tables.forEach((model) => model.render()));
    setTimeout(prepareInBackground, 0);
  }

  // The location names a row by its id, as links to a record do: a row on
  // another page of its table, or filtered out, is brought into view.
  function showTargetRow() {
    if (!location.hash || /^#q=/.test(location.hash)) return;
    let id;
    try { id = decodeURIComponent(location.hash.slice(1)); } catch (e) { return; }
    if (!id || document.getElementById(id)) return;
    for (const model of tables) {
      model.prepareAll();
      const row = model.rows.find((candidate) => candidate.id === id);
      if (row && model.reveal(row)) {
        row.element.scrollIntoView({ block: 'center' });
        return;
      }
    }
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

  // Pages other than the index load the search data when the reader first
  // types into the search box.
  function loadSearchData(done) {
    if (Array.isArray(window.QZA_SEARCH_DATA)) return done(window.QZA_SEARCH_DATA);
    let script = document.getElementById('search-data');
    if (!script) {
      script = document.createElement('script');
      script.id = 'search-data';
      script.src = 'search-data.js';
      document.head.appendChild(script);
    }
    script.addEventListener('load', () => done(window.QZA_SEARCH_DATA || []));
  }

  function setUpSearch() {
    const box = document.getElementById('search-box');
    if (!box) return;
    box.hidden = false;
    const input = document.getElementById('search');
    const results = document.getElementById('search-results');
    let timer = 0;
    input.addEventListener('input', () => {
      clearTimeout(timer);
      timer = setTimeout(() => loadSearchData((data) => runSearch(data, input.value.trim(), results)), 120);
    });
    input.addEventListener('keydown', (event) => {
      if (event.key !== 'Escape') return;
      input.value = '';
      results.textContent = '';
    });
  }

  let hits = [];         // cells marked as matching
  let pendingHits = [];  // rows not shown yet with matching cells

  function clearHits() {
    for (const hit of hits) hit.classList.remove('hit');
    for (const row of pendingHits) row.hits = null;
    hits = [];
    pendingHits = [];
    const banner = document.getElementById('search-banner');
    if (banner) banner.remove();
  }

  // Marks the matching cells and headings of the page, every row of its
  // tables included. The first match in the order shown is an element, or a
  // row with the index of its cell.
  function markMatches(main, terms) {
    const found = { first: null, count: 0 };
    for (const element of main.querySelectorAll('td, th, h1, h2, h3, tbody')) {
      const model = tables.find((candidate) => candidate.body === element || candidate.body.contains(element));
      if (model) {
        if (element === model.body) markRows(model, terms, found);
        continue;
      }
      if (element.tagName === 'TBODY' || !matchesAll(element.textContent.toLowerCase(), terms)) continue;
      element.classList.add('hit');
      hits.push(element);
      found.first = found.first || { element: element };
      found.count++;
    }
    return found;
  }

  function markRows(model, terms, found) {
    model.prepareAll();
    for (const index of model.order) {
      const row = model.rows[index];
      const cells = [];
      row.texts.forEach((text, cell) => { if (matchesAll(text.toLowerCase(), terms)) cells.push(cell); });
      if (!cells.length) continue;
      found.first = found.first || { row: row, model: model, cell: cells[0] };
      found.count += cells.length;
      row.hits = cells;
      if (row.element) row.markHits();
      else pendingHits.push(row);
    }
  }

  // A page opened from a search result (page.html#q=words) marks what matches.
  function markSearchHits() {
    const main = document.getElementById('main');
    const found = /^#q=(.*)$/.exec(location.hash);
    if (!main) return;
    clearHits();
    if (!found) return;
    let query;
    try { query = decodeURIComponent(found[1]); } catch (e) { return; }
    const terms = termsOf(query);
    if (!terms.length) return;
    const matches = markMatches(main, terms);
    const count = matches.count;
    const banner = document.createElement('div');
    banner.id = 'search-banner';
    banner.className = 'search-banner';
    const text = document.createElement('span');
    text.textContent = count + (count === 1 ? ' place matches' : ' places match') + ' \u201c' + query + '\u201d.';
    const clear = document.createElement('button');
    clear.type = 'button';
    clear.textContent = 'Clear';
    clear.addEventListener('click', () => {
      clearHits();
      history.replaceState(null, '', location.pathname + location.search);
    });
    banner.appendChild(text);
    banner.appendChild(clear);
    main.insertBefore(banner, main.firstChild);
    const first = matches.first;
    if (!first) return;
    if (first.row) first.model.reveal(first.row);
    const element = first.element || first.row.element.cells[first.cell];
    if (element) element.scrollIntoView({ block: 'center' });
  }

  // A readable value ("32 GiB") shows its exact value on a click or Enter,
  // and its readable form again on the next.
  function setUpReadableValues() {
    const toggle = (span) => {
      if (!span.dataset.readable) span.dataset.readable = span.textContent;
      const exact = !span.classList.contains('exact');
      span.textContent = exact ? span.dataset.exact : span.dataset.readable;
      span.classList.toggle('exact', exact);
    };
    document.addEventListener('click', (event) => {
      const span = event.target.closest && event.target.closest('span.readable');
      if (span) toggle(span);
    });
    document.addEventListener('keydown', (event) => {
      if (event.key === 'Enter' && event.target.matches && event.target.matches('span.readable')) toggle(event.target);
    });
  }

  // A frame shows on which side more of its table is hidden.
  function showHiddenSides(frame) {
    const hidden = frame.scrollWidth - frame.clientWidth;
    frame.classList.toggle('more-left', hidden > 1 && frame.scrollLeft > 1);
    frame.classList.toggle('more-right', hidden > 1 && frame.scrollLeft < hidden - 1);
  }

  // A table wider than its frame scrolls; the frame takes the keyboard focus
  // so that it can be scrolled without a mouse, and shows that it scrolls.
  function letScrollingTablesTakeFocus() {
    for (const frame of document.querySelectorAll('.table-wrap')) {
      showHiddenSides(frame);
      if (!frame.dataset.cues) {
        frame.dataset.cues = '1';
        frame.addEventListener('scroll', () => showHiddenSides(frame), { passive: true });
      }
      const scrolls = frame.scrollWidth > frame.clientWidth;
      if (scrolls === frame.hasAttribute('tabindex')) continue;
      if (scrolls) {
        frame.setAttribute('tabindex', '0');
        frame.setAttribute('role', 'region');
        const caption = frame.querySelector('caption');
        frame.setAttribute('aria-label', (caption && caption.textContent.trim()) || 'Wide table');
      } else {
        for (const name of ['tabindex', 'role', 'aria-label']) frame.removeAttribute(name);
      }
    }
  }

  const MIN_CONTENTS_SECTIONS = 3;

  // A page of several tables starts with a list of its sections.
  function addPageContents() {
    const main = document.getElementById('main');
    const title = main && main.querySelector('h1');
    if (!title || main.querySelectorAll('table.grid').length < 2) return;
    const sections = main.querySelectorAll('h2[id], h3[id]');
    if (sections.length < MIN_CONTENTS_SECTIONS) return;
    const nav = document.createElement('nav');
    nav.className = 'page-contents';
    nav.setAttribute('aria-labelledby', 'page-contents-title');
    const heading = document.createElement('h2');
    heading.id = 'page-contents-title';
    heading.textContent = 'On this page';
    const list = document.createElement('ol');
    for (const section of sections) {
      const item = document.createElement('li');
      if (section.tagName === 'H3') item.className = 'sub';
      const link = document.createElement('a');
      link.href = '#' + section.id;
      link.textContent = section.firstChild ? section.firstChild.textContent : section.id;
      item.appendChild(link);
      list.appendChild(item);
    }
    nav.appendChild(heading);
    nav.appendChild(list);
    title.insertAdjacentElement('afterend', nav);
  }

  function onLocation() {
    markSearchHits();
    showTargetRow();
  }

  setUpTables();
  setUpSearch();
  setUpReadableValues();
  addPageContents();
  letScrollingTablesTakeFocus();
  window.addEventListener('resize', letScrollingTablesTakeFocus);
  onLocation();
  window.addEventListener('hashchange', onLocation);
})();
)JS";
