// The page: asks mirq-web for the game, draws it, and turns clicks, taps
// and typed moves into requests. Every rule lives in the game program; the
// page only shows what it is told (legal moves, payments, results).
"use strict";

(() => {
  const B = MirqBoard;
  const token = new URLSearchParams(location.search).get("token") || "";
  const $ = (id) => document.getElementById(id);
  const POINT_NAMES = ["red", "green", "blue"];

  let state = null;
  let selected = null;  // {sq} for a piece on the board, {drop: kind} for a bought piece
  let resultHidden = false;
  let thinkingTimer = null;
  let thinkingStart = 0;

  function api(path, body) {
    return fetch(`/api/${path}?token=${encodeURIComponent(token)}`, {
      method: "POST",
      headers: { "Content-Type": "application/json" },
      body: JSON.stringify(body || {}),
    }).then((r) => r.json()).catch(() => ({ ok: false, reason: "mirq-web does not answer." }));
  }

  function say(text, kind) {
    const m = $("message");
    m.textContent = text || "";
    m.className = "message" + (kind ? " " + kind : "");
  }

  // --- Requests ------------------------------------------------------------

  async function play(text) {
    selected = null;
    const r = await api("move", { move: text });
    if (!r.ok) say(r.reason, "refused");
    else say("");
    if (state) draw();
  }

  async function buy(kind, pay) {
    const r = await api("buy", { kind, pay });
    if (!r.ok) say(r.reason, "refused");
    else say(`You bought a ${B.NAMES[kind]} for ${pay[0]} red, ${pay[1]} green and ${pay[2]} blue.`, "good");
  }

  // --- Clicks --------------------------------------------------------------

  const legalFrom = (sq) => state.legal.filter((m) => m.from === sq);
  const legalDrops = (kind) => state.legal.filter((m) => m.drop === kind);
  const cell = (sq) => state.board[(B.rankOf(sq) - 1) * 9 + 9 - B.fileOf(sq)];
  const mine = (code) => code && (code & B.SELF) && !(code & B.ENEMY);

  function onSquare(sq) {
    if (!state || state.phase !== "your-turn") {
      if (state && state.phase === "thinking") say("Wait for Mirqmind's move.", "refused");
      return;
    }
    const code = cell(sq);
    if (selected && selected.sq === sq) {
      selected = null;
    } else if (mine(code) && !(selected && selected.drop)) {
      selected = { sq };
      say(legalFrom(sq).length ? "" : "That piece has no legal move now.");
    } else if (selected) {
      const moves = selected.drop ? legalDrops(selected.drop) : legalFrom(selected.sq);
      const m = moves.find((x) => x.to === sq);
      // An unmarked square still goes to the game program, which says why not.
      const text = m ? m.usi : selected.drop ? `${B.LETTERS[selected.drop]}*${B.usiSquare(sq)}`
                                             : B.usiSquare(selected.sq) + B.usiSquare(sq);
      play(text);
      return;
    } else if (code) {
      say("That is Mirqmind's piece; yours point up.");
    }
    draw();
  }

  function onStandPiece(kind) {
    if (!state || state.phase !== "your-turn") return;
    selected = selected && selected.drop === kind ? null : { drop: kind };
    say(selected && !legalDrops(kind).length ? `No square takes a ${B.NAMES[kind]} now.` : "");
    draw();
  }

  // --- Drawing -------------------------------------------------------------

  function boardView() {
    const marks = {};
    const last = state.last || {};
    if (last.you) {
      if (last.you.from) marks[last.you.from] = "last-you";
      marks[last.you.to] = "last-you";
    }
    if (last.engine) {
      if (last.engine.from) marks[last.engine.from] = "last-engine";
      marks[last.engine.to] = "last-engine";
    }
    const hint = state.hintMove;
    if (hint && state.phase === "your-turn") {
      if (hint.from) marks[hint.from] = "hint";
      marks[hint.to] = "hint";
    }
    let targets = [];
    const captures = new Set();
    if (selected) {
      if (selected.sq) marks[selected.sq] = "selected";
      const moves = selected.drop ? legalDrops(selected.drop) : legalFrom(selected.sq);
      targets = moves.map((m) => m.to);
      for (const t of targets) if (cell(t)) captures.add(t);
    }
    let checked = 0;
    const kingOf = (code) => state.board.findIndex((c) => c === code);
    const toSq = (i) => B.squareOf(9 - (i % 9), Math.floor(i / 9) + 1);
    if (state.you.check && kingOf(24) >= 0) checked = toSq(kingOf(24));
    if (state.engine.check && kingOf(40) >= 0) checked = toSq(kingOf(40));
    return { board: state.board, marks, targets, captures, checked, onSquare };
  }

  function pointGems(points) {
    const box = document.createElement("span");
    box.className = "gems";
    points.forEach((n, i) => {
      const g = document.createElement("span");
      g.className = `gem ${POINT_NAMES[i]}`;
      g.title = `${POINT_NAMES[i]} points`;
      g.textContent = n;
      box.appendChild(g);
    });
    return box;
  }

  function drawStands() {
    const you = $("your-pieces");
    you.replaceChildren();
    let any = false;
    for (let kind = 1; kind <= 7; kind++) {
      const n = state.you.bought[kind];
      if (!n) continue;
      any = true;
      const b = document.createElement("button");
      b.type = "button";
      b.className = "stand-piece" + (selected && selected.drop === kind ? " selected" : "");
      b.dataset.drop = kind;
      b.title = `Drop a ${B.NAMES[kind]}`;
      b.appendChild(B.pieceIcon(B.SELF + kind, 46));
      const c = document.createElement("span");
      c.className = "count";
      c.textContent = `×${n}`;
      b.appendChild(c);
      b.addEventListener("click", () => onStandPiece(kind));
      you.appendChild(b);
    }
    if (!any) you.innerHTML = '<span class="empty">No pieces to drop: buy one with your points.</span>';
    $("your-points").replaceChildren(pointGems(state.you.points));

    const them = $("engine-pieces");
    them.replaceChildren();
    let bought = false;
    for (let kind = 1; kind <= 7; kind++) {
      const n = state.engine.bought[kind];
      if (!n) continue;
      bought = true;
      const s = document.createElement("span");
      s.className = "stand-piece static";
      s.title = `Mirqmind bought and dropped ${n} ${B.NAMES[kind]}${n > 1 ? "s" : ""}`;
      s.appendChild(B.pieceIcon(B.ENEMY + kind, 38));
      const c = document.createElement("span");
      c.className = "count";
      c.textContent = `×${n}`;
      s.appendChild(c);
      them.appendChild(s);
    }
    if (!bought) them.innerHTML = '<span class="empty">No purchases yet.</span>';
    const p = state.engine.points;
    $("engine-points").textContent = `${p} point${p === 1 ? "" : "s"} picked up`;
    $("engine-points").title = "Its king collects the point under every square it steps on; the colours stay hidden.";
  }

  function drawBuy() {
    const list = $("buy-list");
    list.replaceChildren();
    const open = state.phase === "your-turn";
    for (let kind = 1; kind <= 7; kind++) {
      const row = document.createElement("div");
      row.className = "buy-row";
      row.appendChild(B.pieceIcon(B.SELF + kind, 30));
      const name = document.createElement("div");
      name.className = "buy-name";
      name.innerHTML = `<b>${B.NAMES[kind]}</b><span class="price"></span>`;
      name.querySelector(".price").textContent = state.prices[kind].replace(/^an? \w+ costs /, "");
      row.appendChild(name);
      const offers = document.createElement("div");
      offers.className = "offers";
      const pays = state.offers[kind] || [];
      for (const pay of pays.slice(0, 6)) {
        const b = document.createElement("button");
        b.type = "button";
        b.className = "offer";
        b.dataset.kind = kind;
        b.dataset.pay = pay.join("");
        b.title = `Pay ${pay[0]} red, ${pay[1]} green, ${pay[2]} blue`;
        pay.forEach((n, i) => {
          if (!n) return;
          const g = document.createElement("span");
          g.className = `gem small ${POINT_NAMES[i]}`;
          g.textContent = n;
          b.appendChild(g);
        });
        b.disabled = !open;
        b.addEventListener("click", () => buy(kind, pay));
        offers.appendChild(b);
      }
      if (!pays.length) {
        offers.innerHTML = `<span class="cannot">${open ? "not enough points" : ""}</span>`;
        row.classList.add("unaffordable");
      }
      row.appendChild(offers);
      list.appendChild(row);
    }
  }

  function describe(e) {
    const pieceName = (k) => B.NAMES[k & 7] || "piece";
    let s = `${e.usi} <span class="line">${e.line}</span>`;
    const extra = [];
    if (e.drop && e.side === "engine") extra.push(`bought a ${pieceName(e.drop)}`);
    if (e.capture) extra.push(`takes a ${pieceName(e.capture)}`);
    if (e.points && e.points !== "000") extra.push(`+${POINT_NAMES[e.points.indexOf("1")]}`);
    if (e.check) extra.push("check");
    if (extra.length) s += ` <span class="note">${extra.join(", ")}</span>`;
    return s;
  }

  function drawMoves() {
    const list = $("move-list");
    list.replaceChildren();
    let row = null;
    for (const e of state.log) {
      if (e.buy) {
        const li = document.createElement("li");
        li.className = "buy-entry";
        li.textContent = `You buy a ${B.NAMES[e.buy]} (${e.pay.join(" ")})`;
        list.appendChild(li);
        row = null;
        continue;
      }
      if (e.side === "you" || !row) {
        row = document.createElement("li");
        row.className = "move-row";
        row.innerHTML = `<span class="num">${Math.floor((e.ply + 1) / 2)}.</span><span class="you"></span><span class="engine"></span>`;
        list.appendChild(row);
      }
      row.querySelector(e.side === "you" ? ".you" : ".engine").innerHTML = describe(e);
      if (e.side === "engine") row = null;
    }
    if (!state.log.length) {
      const li = document.createElement("li");
      li.className = "how-to";
      li.innerHTML = "<b>How to play.</b> You move first, your pieces point up. Click a piece, then a " +
        "marked square. Captured pieces are not kept: your king picks up the hidden point under " +
        "every square it steps on, and points buy pieces to drop (buying costs no move). " +
        "Pieces never promote.";
      list.appendChild(li);
    }
    list.scrollTop = list.scrollHeight;
  }

  function drawStatus() {
    const st = $("status");
    clearInterval(thinkingTimer);
    thinkingTimer = null;
    const phase = state.phase;
    st.className = "status " + phase;
    if (phase === "thinking") {
      thinkingStart = performance.now() - (state.thinking || 0) * 1000;
      const tick = () => {
        const s = (performance.now() - thinkingStart) / 1000;
        st.innerHTML = `<span class="spinner"></span>Mirqmind is thinking… ${s.toFixed(1)} s`;
      };
      tick();
      thinkingTimer = setInterval(tick, 100);
    } else if (phase === "your-turn") {
      st.textContent = state.note || "Your move";
    } else if (phase === "over" || phase === "broken") {
      st.textContent = state.result ? state.result.text : "The game is over.";
    } else if (phase === "closed") {
      st.textContent = "mirq-web has ended; you can close this page.";
    } else {
      st.textContent = "Starting the engine…";
    }
    $("check").hidden = !(state.you.check || state.engine.check) || phase === "over";
  }

  function drawResult() {
    const box = $("result");
    const r = state.result;
    if (!r || resultHidden) {
      box.hidden = true;
      return;
    }
    box.hidden = false;
    box.className = "result " + (r.word || "");
    $("result-title").textContent = r.code === 5 ? "You won" : r.code === 6 ? "Mirqmind won" : r.code === 7 ? "Drawn" : "Game over";
    $("result-how").textContent = [r.text, state.note].filter(Boolean).join(" ");
    $("result-final").textContent = r.final || "";
    if (r.plies) $("result-final").textContent += `${r.final ? " · " : ""}${r.plies} moves in all`;
    const t = state.totals;
    $("result-totals").textContent = `Games won ${t.won}, lost ${t.lost}, drawn ${t.drawn}`;
  }

  function draw() {
    B.render($("board"), boardView());
    drawStands();
    drawBuy();
    drawMoves();
    drawStatus();
    drawResult();
    const t = state.totals;
    $("totals").textContent = `Your games: won ${t.won} · lost ${t.lost} · drawn ${t.drawn}` +
      (state.saveProblem ? ` — ${state.saveProblem}` : "");
    if (state.phase === "broken" && state.problem) say(`The game broke off: ${state.problem}.`, "refused");
    if (state.hint) say(`Hint: ${state.hint}`, "good");
    const busy = state.phase !== "your-turn";
    $("hint").disabled = busy || state.searching;
    $("resign").disabled = !(state.phase === "your-turn" || state.phase === "thinking");
    $("typed-move").disabled = busy;
  }

  // --- Events from the game ------------------------------------------------

  async function poll() {
    let version = -1;
    let failures = 0;
    for (;;) {
      try {
        const r = await fetch(`/api/state?token=${encodeURIComponent(token)}&since=${version}&wait=20`);
        if (r.status === 403) {
          say("This page lacks the game's token: open the address mirq-web printed.", "refused");
          return;
        }
        const s = await r.json();
        failures = 0;
        if (state && s.version === state.version && s.game === state.game) continue;  // no news
        if (state && s.game !== state.game) {
          selected = null;
          resultHidden = false;
          say("A new game. You move first.");
        }
        if (state && s.version !== state.version && s.phase === "your-turn" && state.phase === "thinking") selected = null;
        state = s;
        version = s.version;
        draw();
        if (s.phase === "closed") return;
      } catch (e) {
        if (++failures > 3) {
          $("status").textContent = "mirq-web has ended; you can close this page.";
          return;
        }
        await new Promise((ok) => setTimeout(ok, 1000));
      }
    }
  }

  $("typed").addEventListener("submit", (ev) => {
    ev.preventDefault();
    const text = $("typed-move").value.trim();
    if (!text) return;
    $("typed-move").value = "";
    play(text);
  });
  $("hint").addEventListener("click", async () => {
    say("Looking for a good move…");
    $("hint").disabled = true;
    const r = await api("hint");
    if (!r.ok) say(r.reason, "refused");
    if (state) draw();
  });
  $("resign").addEventListener("click", async () => {
    if (!confirm("Resign this game? It counts as a loss.")) return;
    const r = await api("resign");
    if (!r.ok) say(r.reason, "refused");
  });
  const newGame = async () => {
    const running = state && (state.phase === "your-turn" || state.phase === "thinking") && state.log.length;
    if (running && !confirm("Start a new game? This one counts as resigned.")) return;
    const r = await api("new");
    if (!r.ok) say(r.reason, "refused");
  };
  $("new-game").addEventListener("click", newGame);
  $("result-new").addEventListener("click", newGame);
  $("result-hide").addEventListener("click", () => {
    resultHidden = true;
    drawResult();
  });
  document.addEventListener("keydown", (ev) => {
    if (ev.key === "Escape" && selected) {
      selected = null;
      draw();
    }
  });
  // Tells mirq-web at once that this page is gone, so a finished game ends
  // the program without waiting for the next poll.
  addEventListener("pagehide", () => navigator.sendBeacon(`/api/bye?token=${encodeURIComponent(token)}`, ""));

  poll();
})();
