// The roll page: the roll moving past a fixed tracker bar in time with its
// audio, a lamp for each register, stop, bells and the shutter, and the
// roll's texts.  Everything comes from the JSON block #roll-data, whose
// fields README.md beside this file describes; the audio element plays the
// roll and is the page's only clock.
//
// Roll texts come from anywhere: they reach the page through textContent
// only, never as markup.
//
// window.kolvoPage lets scripts and tests drive and check the page:
//   duration         seconds of audio
//   time()           the audio's current time
//   play(), pause()  play() returns the audio element's promise; pause() draws
//   seek(seconds)    a time of the audio
//   rollOffset()     seconds of music at the tracker bar, as last drawn
//   lamps()          control name -> true (on, open) / false, as last drawn
//   holesUnderBar()  hole numbers lit at the bar, as last drawn, ascending
//   ready            the data is read, a frame drawn, the audio's length known
//   problem          why the page cannot show the roll or play it, or null

(function () {
  'use strict';

  const FORMAT = 1;

  // Geometry, in CSS pixels.
  const LABEL_WIDTH = 190;
  const AXIS_HEIGHT = 22;
  const SMALLEST_LANE = 11;
  const LARGEST_LANE = 18;
  const PIXELS_PER_SECOND = 60;
  const BAR_POSITION = 0.25;  // share of the paper that has passed the bar
  const BAR_WIDTH = 6;
  const DRAG_THRESHOLD = 4;   // a pointer that moves less has clicked

  // --- Reading the data: every field is checked before it is used --------

  class DataError extends Error {}

  function check(condition, what) {
    if (!condition) {
      throw new DataError(what);
    }
  }

  const isNumber = (v) => typeof v === 'number' && Number.isFinite(v);
  const isText = (v) => typeof v === 'string';
  const isTextList = (v) => Array.isArray(v) && v.every(isText);
  const isObject = (v) => v !== null && typeof v === 'object' && !Array.isArray(v);
  const COLOUR = /^#[0-9a-fA-F]{6}$/;

  function readKinds(list) {
    check(Array.isArray(list) && list.length > 0, 'kinds is not a list of kinds');
    const kinds = new Map();
    list.forEach((k, i) => {
      check(isObject(k) && isText(k.name) && isText(k.label), `kind ${i} has no name or label`);
      check(isText(k.colour) && COLOUR.test(k.colour), `kind ${k.name} has no #rrggbb colour`);
      check(!kinds.has(k.name), `kind ${k.name} is listed twice`);
      kinds.set(k.name, { name: k.name, label: k.label, colour: k.colour, index: i });
    });
    return kinds;
  }

  function readLanes(list, kinds) {
    check(Array.isArray(list) && list.length > 0, 'lanes is not a list of lanes');
    const lanes = [];
    const laneOfHole = new Map();
    list.forEach((l, i) => {
      check(isObject(l) && Number.isInteger(l.hole) && isText(l.label), `lane ${i} has no hole or label`);
      check(kinds.has(l.kind), `lane of hole ${l.hole} has an unknown kind`);
      check(i === 0 || l.hole > lanes[i - 1].hole, `lane of hole ${l.hole} is out of order`);
      laneOfHole.set(l.hole, i);
      lanes.push({ hole: l.hole, label: l.label, kind: kinds.get(l.kind) });
    });
    return { lanes, laneOfHole };
  }

  // Holes as parallel arrays, in order of their start; `reach` is the
  // latest end of any hole up to each index, so the holes that end after a
  // time are all found after one search.
  function readHoles(flat, laneOfHole) {
    check(Array.isArray(flat) && flat.length % 3 === 0, 'holes is not a list of hole, start, end');
    const count = flat.length / 3;
    const holes = {
      count,
      lane: new Int32Array(count),
      start: new Float64Array(count),
      end: new Float64Array(count),
      reach: new Float64Array(count),
    };
    let reach = -Infinity;
    for (let i = 0; i < count; i++) {
      const hole = flat[3 * i];
      const start = flat[3 * i + 1];
      const end = flat[3 * i + 2];
      check(laneOfHole.has(hole), `hole ${i} (${hole}) has no lane`);
      check(isNumber(start) && isNumber(end) && end >= start, `hole ${i} has no start and end`);
      check(i === 0 || start >= holes.start[i - 1], `hole ${i} starts before the one listed before it`);
      reach = Math.max(reach, end);
      holes.lane[i] = laneOfHole.get(hole);
      holes.start[i] = start;
      holes.end[i] = end;
      holes.reach[i] = reach;
    }
    return holes;
  }

  // Controls, each with the times at which its state changes and the state
  // from then on (1 on or open, 0 off or closed); every control starts off.
  function readControls(list, flat, kinds) {
    check(Array.isArray(list), 'controls is not a list of controls');
    const names = new Set();
    const controls = list.map((c, i) => {
      check(isObject(c) && isText(c.name) && isText(c.label), `control ${i} has no name or label`);
      check(!names.has(c.name), `control ${c.name} is listed twice`);
      check(kinds.has(c.kind), `control ${c.name} has an unknown kind`);
      check((c.on === undefined && c.off === undefined) || (isText(c.on) && isText(c.off)),
        `control ${c.name} names only one of its states`);
      names.add(c.name);
      return { name: c.name, label: c.label, kind: kinds.get(c.kind), words: c.on === undefined ? null : [c.off, c.on], times: [], states: [] };
    });
    check(Array.isArray(flat) && flat.length % 3 === 0, 'timeline is not a list of time, control, state');
    let previous = -Infinity;
    for (let i = 0; i < flat.length; i += 3) {
      const [time, index, state] = flat.slice(i, i + 3);
      check(isNumber(time) && time >= previous, `timeline entry ${i / 3} is not in order of time`);
      check(Number.isInteger(index) && index >= 0 && index < controls.length, `timeline entry ${i / 3} names no control`);
      check(state === 0 || state === 1, `timeline entry ${i / 3} has a state other than 0 or 1`);
      previous = time;
      controls[index].times.push(time);
      controls[index].states.push(state);
    }
    return controls;
  }

  function readRollData(json) {
    let d;
    try {
      d = JSON.parse(json);
    } catch (e) {
      throw new DataError('it is not JSON (' + e.message + ')');
    }
    check(isObject(d), 'it is not an object');
    check(d.format === FORMAT, `its format is ${JSON.stringify(d.format)}, this page reads ${FORMAT}`);
    for (const key of ['title', 'file', 'organ']) {
      check(isText(d[key]), `${key} is not a text`);
    }
    check(isTextList(d.copyright) && isTextList(d.text), 'copyright and text are not lists of texts');
    check(d.input_tempo === null || isNumber(d.input_tempo), 'input_tempo is not a number or null');
    check(isNumber(d.output_tempo) && d.output_tempo > 0, 'output_tempo is not a tempo');
    check(Number.isInteger(d.playing_seconds) && d.playing_seconds >= 0, 'playing_seconds is not a count of seconds');
    check(isNumber(d.duration) && d.duration >= 0, 'duration is not a length in seconds');
    const offset = d.audio_offset === undefined ? 0 : d.audio_offset;
    check(isNumber(offset), 'audio_offset is not a number');
    const kinds = readKinds(d.kinds);
    const { lanes, laneOfHole } = readLanes(d.lanes, kinds);
    return {
      title: d.title,
      file: d.file,
      organ: d.organ,
      copyright: d.copyright,
      texts: d.text,
      inputTempo: d.input_tempo,
      outputTempo: d.output_tempo,
      playingSeconds: d.playing_seconds,
      duration: d.duration,
      audioOffset: offset,
      paperEnd: d.duration - offset,  // the music's time at the audio's end
      kinds: [...kinds.values()],
      lanes,
      holes: readHoles(d.holes, laneOfHole),
      controls: readControls(d.controls, d.timeline, kinds),
    };
  }

  // --- Looking up a time --------------------------------------------------

  // How many values of the ascending array are at most t.
  function countAtMost(values, t) {
    let lo = 0;
    let hi = values.length;
    while (lo < hi) {
      const mid = (lo + hi) >>> 1;
      if (values[mid] <= t) {
        lo = mid + 1;
      } else {
        hi = mid;
      }
    }
    return lo;
  }

  // Calls visit(i) for each hole that starts at or before `to` and ends
  // after `from`.  For from === to: the holes open at that time, since a
  // hole is open from its start up to, not including, its end.
  function forHolesBetween(holes, from, to, visit) {
    const first = countAtMost(holes.reach, from);
    const last = countAtMost(holes.start, to);
    for (let i = first; i < last; i++) {
      if (holes.end[i] > from) {
        visit(i);
      }
    }
  }

  function controlStateAt(control, t) {
    const changes = countAtMost(control.times, t);
    return changes > 0 && control.states[changes - 1] === 1;
  }

  // "m:ss".
  function clockText(seconds) {
    const whole = Math.max(0, Math.floor(seconds + 1e-6));
    return Math.floor(whole / 60) + ':' + String(whole % 60).padStart(2, '0');
  }

  // --- Drawing the roll ---------------------------------------------------

  class RollView {
    constructor(canvas, roll) {
      this.canvas = canvas;
      this.roll = roll;
      const style = getComputedStyle(document.documentElement);
      const colour = (name) => style.getPropertyValue(name).trim();
      this.colours = {
        page: colour('--page'),
        panel: colour('--panel'),
        ink: colour('--ink'),
        paper: colour('--paper'),
        stripe: colour('--paper-stripe'),
        played: colour('--paper-played'),
        bar: colour('--bar'),
        barEdge: colour('--bar-edge'),
        grid: colour('--grid'),
      };
      this.layout();
    }

    // Sizes the canvas to its box and draws what does not move: the labels
    // and the lanes' stripes.
    layout() {
      const lanes = this.roll.lanes.length;
      const room = window.innerHeight - this.canvas.getBoundingClientRect().top - AXIS_HEIGHT - 16;
      this.lane = Math.min(LARGEST_LANE, Math.max(SMALLEST_LANE, Math.floor(room / lanes)));
      this.font = Math.min(12, Math.max(10, this.lane - 3));
      this.width = Math.max(LABEL_WIDTH + 200, this.canvas.clientWidth);
      this.lanesHeight = lanes * this.lane;
      this.height = this.lanesHeight + AXIS_HEIGHT;
      this.paperLeft = LABEL_WIDTH;
      this.barX = Math.round(LABEL_WIDTH + BAR_POSITION * (this.width - LABEL_WIDTH));
      this.scale = window.devicePixelRatio || 1;
      this.canvas.style.height = this.height + 'px';
      this.canvas.width = Math.round(this.width * this.scale);
      this.canvas.height = Math.round(this.height * this.scale);
      this.context = this.canvas.getContext('2d', { alpha: false });

      this.background = document.createElement('canvas');
      this.background.width = this.canvas.width;
      this.background.height = this.canvas.height;
      const g = this.background.getContext('2d', { alpha: false });
      g.scale(this.scale, this.scale);
      g.fillStyle = this.colours.page;
      g.fillRect(0, 0, this.width, this.height);
      g.fillStyle = this.colours.panel;
      g.fillRect(0, this.lanesHeight, this.width, AXIS_HEIGHT);
      g.textAlign = 'right';
      g.textBaseline = 'middle';
      g.font = this.font + 'px sans-serif';
      this.roll.lanes.forEach((lane, i) => {
        const y = this.laneTop(i);
        g.fillStyle = i % 2 ? this.colours.stripe : this.colours.paper;
        g.fillRect(this.paperLeft, y, this.width - this.paperLeft, this.lane);
        g.fillStyle = lane.kind.colour;
        g.fillText(lane.hole + ' ' + lane.label, LABEL_WIDTH - 8, y + this.lane / 2, LABEL_WIDTH - 12);
      });
    }

    laneTop(lane) {
      return (this.roll.lanes.length - 1 - lane) * this.lane;
    }

    xAt(seconds, now) {
      return this.barX + (seconds - now) * PIXELS_PER_SECOND;
    }

    // The roll with music time `now` at the tracker bar; `lit` the lanes of
    // the holes open there.
    draw(now, lit) {
      const c = this.context;
      const roll = this.roll;
      c.setTransform(this.scale, 0, 0, this.scale, 0, 0);
      c.drawImage(this.background, 0, 0, this.width, this.height);
      const from = now - (this.barX - this.paperLeft) / PIXELS_PER_SECOND;
      const to = now + (this.width - this.barX) / PIXELS_PER_SECOND;

      c.save();
      c.beginPath();
      c.rect(this.paperLeft, 0, this.width - this.paperLeft, this.height);
      c.clip();
      // Where there is no paper: before the roll's start and after its end.
      c.fillStyle = this.colours.page;
      const start = this.xAt(0, now);
      const end = this.xAt(roll.paperEnd, now);
      if (start > this.paperLeft) {
        c.fillRect(this.paperLeft, 0, start - this.paperLeft, this.lanesHeight);
      }
      if (end < this.width) {
        c.fillRect(end, 0, this.width - end, this.lanesHeight);
      }
      this.drawAxis(now, Math.max(0, from), Math.min(roll.paperEnd, to));

      // The holes, one path per kind.
      const paths = roll.kinds.map(() => new Path2D());
      const height = this.lane - 2;
      forHolesBetween(roll.holes, from, to, (i) => {
        const lane = roll.holes.lane[i];
        const x = this.xAt(roll.holes.start[i], now);
        const width = Math.max(1.5, (roll.holes.end[i] - roll.holes.start[i]) * PIXELS_PER_SECOND);
        paths[roll.lanes[lane].kind.index].roundRect(x, this.laneTop(lane) + 1, width, height, Math.min(3, width / 2));
      });
      roll.kinds.forEach((kind, k) => {
        c.fillStyle = kind.colour;
        c.fill(paths[k]);
      });
      // The paper that has passed the bar.
      c.fillStyle = this.colours.played;
      c.fillRect(this.paperLeft, 0, this.barX - BAR_WIDTH / 2 - this.paperLeft, this.lanesHeight);
      c.restore();

      this.drawBar(lit);
    }

    // A line every five seconds of the roll, labelled, and a tick every
    // second.
    drawAxis(now, from, to) {
      const c = this.context;
      c.font = '10px sans-serif';
      c.textAlign = 'center';
      c.textBaseline = 'middle';
      for (let s = Math.ceil(from); s <= to; s++) {
        const x = Math.round(this.xAt(s, now));
        if (s % 5 === 0) {
          c.fillStyle = this.colours.grid;
          c.fillRect(x, 0, 1, this.lanesHeight + 5);
          if (x > this.paperLeft + 14) {
            c.fillStyle = this.colours.ink;
            c.fillText(clockText(s), x, this.lanesHeight + AXIS_HEIGHT / 2 + 2);
          }
        } else {
          c.fillStyle = this.colours.grid;
          c.fillRect(x, this.lanesHeight, 1, 4);
        }
      }
    }

    // The tracker bar, with the holes that sound lit in it and their lanes'
    // labels lit beside the roll.
    drawBar(lit) {
      const c = this.context;
      c.fillStyle = this.colours.barEdge;
      c.fillRect(this.barX - BAR_WIDTH / 2 - 1, 0, BAR_WIDTH + 2, this.lanesHeight);
      c.fillStyle = this.colours.bar;
      c.fillRect(this.barX - BAR_WIDTH / 2, 0, BAR_WIDTH, this.lanesHeight);
      c.font = 'bold ' + this.font + 'px sans-serif';
      c.textAlign = 'right';
      c.textBaseline = 'middle';
      for (const i of lit) {
        const lane = this.roll.lanes[i];
        const y = this.laneTop(i);
        c.fillStyle = lane.kind.colour;
        c.fillRect(this.barX - BAR_WIDTH, y, 2 * BAR_WIDTH, this.lane);
        c.fillRect(0, y, LABEL_WIDTH - 2, this.lane);
        c.fillStyle = '#ffffff';
        c.fillRect(this.barX - 2, y + 2, 4, this.lane - 4);
        c.fillText(lane.hole + ' ' + lane.label, LABEL_WIDTH - 8, y + this.lane / 2, LABEL_WIDTH - 12);
      }
    }
  }

  // --- The page -----------------------------------------------------------

  const $ = (id) => document.getElementById(id);
  const audio = $('audio');
  let problem = null;

  function showProblem(text) {
    problem = text;
    $('problem').textContent = text;
    $('problem').hidden = false;
  }

  function fillTexts(roll) {
    $('title').textContent = roll.title;
    let tempo = roll.outputTempo + ' beats per minute';
    if (roll.inputTempo === null) {
      tempo += ' (the roll gives none)';
    } else if (roll.inputTempo !== roll.outputTempo) {
      tempo += ` (the roll's own: ${roll.inputTempo})`;
    }
    $('about').textContent = [roll.organ + ' e-roll ' + roll.file, tempo,
      'playing time ' + clockText(roll.playingSeconds)].join(' · ');
    $('copyright').textContent = roll.copyright.join('\n');
    for (const text of roll.texts) {
      const item = document.createElement('li');
      item.textContent = text;
      $('texts').append(item);
    }
    for (const kind of roll.kinds) {
      const item = document.createElement('li');
      const swatch = document.createElement('span');
      swatch.className = 'swatch';
      swatch.style.setProperty('--kind', kind.colour);
      item.append(swatch, kind.label);
      $('legend').append(item);
    }
  }

  function makeLamps(controls) {
    return controls.map((control) => {
      const item = document.createElement('li');
      item.className = 'lamp';
      item.dataset.control = control.name;
      item.style.setProperty('--lit', control.kind.colour);
      const bulb = document.createElement('span');
      bulb.className = 'bulb';
      const name = document.createElement('span');
      name.textContent = control.label;
      const state = document.createElement('span');
      state.className = 'state';
      item.append(bulb, name, state);
      $('lamps').append(item);
      return { item, state, lit: null };
    });
  }

  function start(roll) {
    fillTexts(roll);
    const view = new RollView($('roll'), roll);
    const lamps = makeLamps(roll.controls);
    const clockShown = $('clock');
    const slider = $('slider');
    const drawn = { time: 0, holes: [], lamps: {} };
    let drawnOnce = false;
    let pending = false;

    const duration = () => (Number.isFinite(audio.duration) ? audio.duration : roll.duration);
    const musicTime = () => audio.currentTime - roll.audioOffset;

    function frame() {
      const now = musicTime();
      const lit = [];
      forHolesBetween(roll.holes, now, now, (i) => lit.push(roll.holes.lane[i]));
      const lanes = [...new Set(lit)].sort((a, b) => a - b);
      view.draw(now, lanes);
      const states = Object.create(null);  // any name a roll gives, __proto__ too
      roll.controls.forEach((control, i) => {
        const on = controlStateAt(control, now);
        states[control.name] = on;
        const lamp = lamps[i];
        if (lamp.lit !== on) {
          lamp.lit = on;
          lamp.item.classList.toggle('lit', on);
          lamp.state.textContent = control.words ? control.words[on ? 1 : 0] : '';
        }
      });
      const clock = clockText(audio.currentTime) + ' / ' + clockText(duration());
      if (clockShown.textContent !== clock) {
        clockShown.textContent = clock;
      }
      slider.value = audio.currentTime;
      drawn.time = now;
      drawn.holes = lanes.map((lane) => roll.lanes[lane].hole);
      drawn.lamps = states;
      drawnOnce = true;
    }

    // Draws on the next frame, and on every frame while the audio plays.
    function redraw() {
      if (pending) {
        return;
      }
      pending = true;
      requestAnimationFrame(() => {
        pending = false;
        frame();
        if (!audio.paused && !audio.ended) {
          redraw();
        }
      });
    }

    function seek(seconds) {
      audio.currentTime = Math.min(Math.max(0, seconds), duration());
      frame();
    }

    function play() {
      return audio.play();
    }

    function toggle() {
      if (audio.paused || audio.ended) {
        play().catch((e) => showProblem('The audio cannot be played: ' + e.message));
      } else {
        audio.pause();
      }
    }

    function showPlaying() {
      const playing = !audio.paused && !audio.ended;
      $('play').textContent = playing ? 'Pause' : 'Play';
      $('play').setAttribute('aria-pressed', String(playing));
      redraw();
    }

    function showDuration() {
      slider.max = duration();
      redraw();
    }

    for (const event of ['play', 'pause', 'ended']) {
      audio.addEventListener(event, showPlaying);
    }
    for (const event of ['loadedmetadata', 'durationchange']) {
      audio.addEventListener(event, showDuration);
    }
    for (const event of ['seeked', 'timeupdate']) {
      audio.addEventListener(event, redraw);
    }
    audio.addEventListener('error', () => {
      showProblem('The audio cannot be played' + (audio.error && audio.error.message ? ': ' + audio.error.message : '.'));
    });

    $('play').addEventListener('click', toggle);
    slider.addEventListener('input', () => seek(Number(slider.value)));
    // The space bar plays and pauses wherever the focus is, instead of
    // scrolling; its key-up must not click a focused button a second time.
    document.addEventListener('keydown', (e) => {
      if (e.key === ' ') {
        e.preventDefault();
        if (!e.repeat) {
          toggle();
        }
      }
    });
    document.addEventListener('keyup', (e) => {
      if (e.key === ' ') {
        e.preventDefault();
      }
    });

    // Dragging the paper moves it under the bar; a click brings the point
    // clicked to the bar.
    const canvas = $('roll');
    let drag = null;
    canvas.addEventListener('pointerdown', (e) => {
      if (e.button !== 0) {
        return;
      }
      canvas.setPointerCapture(e.pointerId);
      drag = { x: e.clientX, time: musicTime(), moved: false };
    });
    canvas.addEventListener('pointermove', (e) => {
      if (!drag) {
        return;
      }
      const dx = e.clientX - drag.x;
      if (Math.abs(dx) >= DRAG_THRESHOLD && !drag.moved) {
        drag.moved = true;
        canvas.classList.add('dragging');
      }
      if (drag.moved) {
        seek(drag.time - dx / PIXELS_PER_SECOND + roll.audioOffset);
      }
    });
    canvas.addEventListener('pointerup', (e) => {
      if (drag && !drag.moved) {
        const x = e.clientX - canvas.getBoundingClientRect().left;
        if (x >= view.paperLeft) {
          seek(drag.time + (x - view.barX) / PIXELS_PER_SECOND + roll.audioOffset);
        }
      }
      drag = null;
      canvas.classList.remove('dragging');
    });
    canvas.addEventListener('pointercancel', () => {
      drag = null;
      canvas.classList.remove('dragging');
    });
    window.addEventListener('resize', () => {
      view.layout();
      frame();
    });

    showDuration();
    frame();

    window.kolvoPage = Object.freeze({
      get duration() {
        return duration();
      },
      time: () => audio.currentTime,
      play,
      pause() {
        audio.pause();
        frame();
      },
      seek,
      rollOffset: () => drawn.time,
      lamps: () => ({ ...drawn.lamps }),
      holesUnderBar: () => drawn.holes.slice(),
      get ready() {
        return drawnOnce && (audio.readyState >= HTMLMediaElement.HAVE_METADATA || audio.error !== null);
      },
      get problem() {
        return problem;
      },
    });
  }

  let roll;
  try {
    roll = readRollData($('roll-data').textContent);
  } catch (e) {
    if (!(e instanceof DataError)) {
      throw e;
    }
    showProblem('This page cannot show its roll: ' + e.message + '.');
    console.error('kolvo page: ' + problem);
    window.kolvoPage = Object.freeze({ ready: false, problem });
    return;
  }
  start(roll);
})();
