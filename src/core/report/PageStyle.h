// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The report pages' style sheet: the same on every page, inside it, so that a page opened or
// printed alone looks as it does in the folder.

namespace tolvanex::report {

inline constexpr const char* kStyle = R"(
body { font-family: sans-serif; margin: 1.5em; color: #111; }
h1 { font-size: 1.5em; } h2 { font-size: 1.25em; margin-top: 1.5em; border-bottom: 1px solid #888; }
h3 { font-size: 1.05em; }
table { border-collapse: collapse; margin: 0.5em 0; }
th, td { border: 1px solid #bbb; padding: 0.2em 0.5em; vertical-align: top; text-align: left; }
td.n { text-align: right; }
.chart text { font-size: 10px; fill: #111; }
.bar { fill: #3a6ea5; } .frame { fill: none; stroke: #ccc; } .dot { fill: #a53a3a; }
.line { fill: none; stroke: #a53a3a; stroke-width: 1; }
.words { white-space: pre-wrap; margin: 0.2em 0 0.8em 0; }
.words.empty { font-style: italic; }
.who { margin: 0; color: #333; }
.nums { font-size: 0.85em; margin: 0; }
.opening { font-weight: normal; }
blockquote.block { margin: 0.5em 0 0.5em 1.5em; font-style: italic; }
ul.inline { padding: 0; } ul.inline li { display: inline; margin-right: 1.2em; }
.finding { color: #8a1c1c; }
/* A page of a thousand responses is laid out as it is scrolled to: ready in a fifth of the time. */
ol.records > li, ul.asked > li, section { content-visibility: auto; contain-intrinsic-size: auto 5em; }
@media print {
  ol.records > li, ul.asked > li, section { content-visibility: visible; }
  body { margin: 0; } header, nav { display: none; } a { color: inherit; text-decoration: none; }
  h2, h3 { break-after: avoid; } tr, svg, li { break-inside: avoid; }
}
)";

} // namespace tolvanex::report
