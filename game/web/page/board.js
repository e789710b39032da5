// Drawing the board and the pieces in SVG. Knows nothing of the game's
// rules: app.js says what to mark and what a click means.
"use strict";

const MirqBoard = (() => {
  const NS = "http://www.w3.org/2000/svg";
  const CELL = 60;
  const LEFT = 18;  // grid origin inside the viewBox
  const TOP = 34;
  const SIZE = 9 * CELL;
  const SELF = 16;
  const ENEMY = 32;
  const PROMOTED = 8;
  const KING = 8;

  // By kind 1..15 (code & 15); promoted forms 9..15.
  const KANJI = ["", "歩", "香", "桂", "銀", "金", "角", "飛", "玉", "と", "杏", "圭", "全", "", "馬", "龍"];
  const NAMES = ["", "pawn", "lance", "knight", "silver", "gold", "bishop", "rook", "king"];
  const LETTERS = "?PLNSGBRK";
  const RANK_LETTERS = "abcdefghi";
  // Real pieces differ in size: the king largest, the pawn smallest.
  const SCALE = [1, 0.84, 0.88, 0.9, 0.93, 0.93, 0.97, 0.97, 1];

  function el(name, attrs, parent) {
    const e = document.createElementNS(NS, name);
    for (const [k, v] of Object.entries(attrs || {})) e.setAttribute(k, v);
    if (parent) parent.appendChild(e);
    return e;
  }

  const squareOf = (file, rank) => file * 16 + rank;
  const fileOf = (sq) => sq >> 4;
  const rankOf = (sq) => sq & 15;
  const usiSquare = (sq) => `${fileOf(sq)}${RANK_LETTERS[rankOf(sq) - 1]}`;
  const cellX = (sq) => LEFT + (9 - fileOf(sq)) * CELL;
  const cellY = (sq) => TOP + (rankOf(sq) - 1) * CELL;

  function kanjiOf(code) {
    const kind = code & 15;
    if (kind === KING) return code & ENEMY ? "王" : "玉";
    return KANJI[kind];
  }

  // One piece, its base on the bottom of a box of size x size at (x, y);
  // the engine's pieces point the other way.
  function drawPiece(parent, code, x, y, size) {
    const kind = code & 15;
    const base = kind === KING ? KING : kind & 7;
    const s = (size / CELL) * SCALE[base];
    const g = el("g", { class: "piece" + (code & ENEMY ? " theirs" : " mine") }, parent);
    const cx = x + size / 2;
    const cy = y + size / 2;
    let t = `translate(${cx} ${cy}) scale(${s})`;
    if (code & ENEMY) t += " rotate(180)";
    g.setAttribute("transform", t);
    el("path", { d: "M0 -26 L18 -18 L23 26 L-23 26 L-18 -18 Z", class: "piece-shape" }, g);
    el("path", { d: "M-16 -15.5 L0 -22.5 L16 -15.5", class: "piece-edge" }, g);
    const txt = el("text", { x: 0, y: 12, class: "piece-kanji" + (kind & PROMOTED && kind !== KING ? " promoted" : "") }, g);
    txt.textContent = kanjiOf(code);
    return g;
  }

  function defs(svg) {
    const d = el("defs", {}, svg);
    const wood = el("linearGradient", { id: "wood", x1: 0, y1: 0, x2: 1, y2: 1 }, d);
    el("stop", { offset: "0", "stop-color": "#f0c987" }, wood);
    el("stop", { offset: "0.55", "stop-color": "#e3b26a" }, wood);
    el("stop", { offset: "1", "stop-color": "#d49e55" }, wood);
    const face = el("linearGradient", { id: "piece-face", x1: 0, y1: 0, x2: 0, y2: 1 }, d);
    el("stop", { offset: "0", "stop-color": "#fdf3dc" }, face);
    el("stop", { offset: "1", "stop-color": "#ecd3a0" }, face);
    const glow = el("radialGradient", { id: "check-glow" }, d);
    el("stop", { offset: "0.35", "stop-color": "#ff3b2f", "stop-opacity": "0.75" }, glow);
    el("stop", { offset: "1", "stop-color": "#ff3b2f", "stop-opacity": "0" }, glow);
  }

  // The wooden board with grid, star points and coordinates; static.
  function drawWood(svg) {
    defs(svg);
    el("rect", { x: 2, y: 2, width: 596, height: 596, rx: 10, class: "wood-edge" }, svg);
    el("rect", { x: 6, y: 6, width: 588, height: 588, rx: 8, fill: "url(#wood)" }, svg);
    // A faint grain, drawn once.
    const grain = el("g", { class: "grain" }, svg);
    for (let i = 0; i < 26; i++) {
      const y = 12 + i * 22.5 + ((i * 37) % 9);
      const bend = ((i * 53) % 17) - 8;
      el("path", { d: `M8 ${y} C 150 ${y + bend}, 420 ${y - bend}, 592 ${y + bend / 2}` }, grain);
    }
    const grid = el("g", { class: "grid" }, svg);
    for (let i = 0; i <= 9; i++) {
      el("line", { x1: LEFT, y1: TOP + i * CELL, x2: LEFT + SIZE, y2: TOP + i * CELL }, grid);
      el("line", { x1: LEFT + i * CELL, y1: TOP, x2: LEFT + i * CELL, y2: TOP + SIZE }, grid);
    }
    el("rect", { x: LEFT, y: TOP, width: SIZE, height: SIZE, class: "grid-frame" }, svg);
    for (const [c, r] of [[3, 3], [6, 3], [3, 6], [6, 6]])
      el("circle", { cx: LEFT + c * CELL, cy: TOP + r * CELL, r: 4, class: "star" }, svg);
    const labels = el("g", { class: "coords" }, svg);
    for (let file = 9; file >= 1; file--) {
      const t = el("text", { x: LEFT + (9 - file) * CELL + CELL / 2, y: TOP - 10, class: "coord" }, labels);
      t.textContent = String(file);
    }
    for (let rank = 1; rank <= 9; rank++) {
      const y = TOP + (rank - 1) * CELL + CELL / 2;
      const t = el("text", { x: LEFT + SIZE + 12, y: y - 2, class: "coord" }, labels);
      t.textContent = String(rank);
      const u = el("text", { x: LEFT + SIZE + 12, y: y + 15, class: "coord small" }, labels);
      u.textContent = RANK_LETTERS[rank - 1];
    }
  }

  // view: {board: 81 codes, marks: {sq: class}, targets: Set of squares,
  //        captures: Set, checked: sq or 0, onSquare(sq)}
  function render(svg, view) {
    if (!svg.dataset.wood) {
      drawWood(svg);
      svg.dataset.wood = "1";
      el("g", { id: "layer-marks" }, svg);
      el("g", { id: "layer-pieces" }, svg);
      el("g", { id: "layer-targets" }, svg);
      // Transparent squares on top take the clicks and taps; made once, so
      // a redraw never takes a square away under the pointer.
      const hits = el("g", { id: "layer-hits" }, svg);
      for (let file = 9; file >= 1; file--)
        for (let rank = 1; rank <= 9; rank++) {
          const sq = squareOf(file, rank);
          const r = el("rect", {
            x: cellX(sq), y: cellY(sq), width: CELL, height: CELL, class: "hit",
            "data-sq": `${file}${rank}`, "aria-label": usiSquare(sq),
          }, hits);
          r.addEventListener("click", () => svg.onSquare && svg.onSquare(sq));
        }
    }
    svg.onSquare = view.onSquare;
    const marks = svg.querySelector("#layer-marks");
    const pieces = svg.querySelector("#layer-pieces");
    const targets = svg.querySelector("#layer-targets");
    for (const layer of [marks, pieces, targets]) layer.replaceChildren();

    for (const [sq, cls] of Object.entries(view.marks || {}))
      el("rect", { x: cellX(+sq) + 1, y: cellY(+sq) + 1, width: CELL - 2, height: CELL - 2, class: "mark " + cls }, marks);
    if (view.checked)
      el("circle", { cx: cellX(view.checked) + CELL / 2, cy: cellY(view.checked) + CELL / 2, r: CELL * 0.62, fill: "url(#check-glow)" }, marks);

    for (let i = 0; i < 81; i++) {
      const code = view.board[i];
      if (!code) continue;
      const sq = squareOf(9 - (i % 9), Math.floor(i / 9) + 1);
      drawPiece(pieces, code, cellX(sq), cellY(sq), CELL);
    }
    for (const sq of view.targets || []) {
      const cx = cellX(sq) + CELL / 2;
      const cy = cellY(sq) + CELL / 2;
      if (view.captures && view.captures.has(sq)) el("circle", { cx, cy, r: 26, class: "target capture" }, targets);
      else el("circle", { cx, cy, r: 9, class: "target" }, targets);
    }
  }

  // A small stand-alone piece, for the stands and the buy panel.
  function pieceIcon(code, size) {
    const svg = el("svg", { viewBox: `0 0 ${CELL} ${CELL}`, width: size, height: size, class: "piece-icon" });
    drawPiece(svg, code, 0, 0, CELL);
    return svg;
  }

  return { render, pieceIcon, squareOf, fileOf, rankOf, usiSquare, NAMES, LETTERS, KANJI, SELF, ENEMY };
})();
