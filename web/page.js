// The page's wiring: every answer comes from the engine, as a tianti-cli
// command line run through the CLI's own code (web/bindings.cpp); this script
// only builds the command lines, shows what they print and keeps the page's
// state in the address's fragment.
'use strict';
(function () {
  const $ = (id) => document.getElementById(id);
  const orBoxes = ['or1', 'or2', 'or3'];
  const termBoxes = ['main', 'and'].concat(orBoxes);
  const scopes = ['all', 'cpu', 'gpu'];
  const tabs = Array.from(document.querySelectorAll('[role="tab"]'));
  const views = tabs.map((tab) => tab.dataset.view);
  let engine = null;
  let renderer = '';
  let compared = [];  // the names of the last comparison
  let nearAsked = null;  // {name, count} of the last near
  let lastFragment = null;
  let messageTitle = '';

  // ---- the engine ---------------------------------------------------------

  // Runs tianti-cli with `args`: {code, out, err}.
  function cli(args, rendererText) {
    const sizes = args.map((a) => engine.lengthBytesUTF8(a) + 1);
    const total = sizes.reduce((a, b) => a + b, 0);
    const argv = engine._malloc(total + 1);
    const rsize = engine.lengthBytesUTF8(rendererText || '') + 1;
    const r = engine._malloc(rsize);
    try {
      let at = argv;
      args.forEach((a, i) => {
        engine.stringToUTF8(a, at, sizes[i]);
        at += sizes[i];
      });
      engine.stringToUTF8(rendererText || '', r, rsize);
      return JSON.parse(engine.UTF8ToString(engine._tianti_run(argv, args.length, r)));
    } finally {
      engine._free(r);
      engine._free(argv);
    }
  }

  // ---- the query view -----------------------------------------------------

  function scope() {
    return scopes.find((s) => $('scope-' + s).checked) || 'all';
  }

  // The same terms and scope as tianti-cli options; an OR box counts only
  // when the ones before it are filled, as in the window, so all three go.
  function queryArgs() {
    const args = ['--scope', scope(), '--format', 'table', '--and=' + $('and').value];
    orBoxes.forEach((id) => args.push('--or=' + $(id).value));
    args.push('--', $('main').value);
    return args;
  }

  function showMessages(texts) {
    $('message').textContent = texts.join('\n');
  }

  // The messages of a query, from what tianti-cli writes to standard error
  // for each message box: "title：text" a line.
  function messagesOf(err) {
    const prefix = messageTitle + '：';
    return err.split('\n').filter((line) => line !== '').map((line) =>
      line.startsWith(prefix) ? line.slice(prefix.length) : line);
  }

  function runQuery() {
    const answer = cli(queryArgs());
    showMessages(messagesOf(answer.err));
    if (answer.out === '') {
      // No main term: the window warns and clears every box.
      termBoxes.forEach((id) => ($(id).value = ''));
    }
    paintTable(answer.out);
    writeFragment();
  }

  function paintTable(text) {
    const results = $('results');
    results.textContent = text;
    results.dataset.text = text;
    $('copied').textContent = '';
  }

  function reset() {
    termBoxes.forEach((id) => ($(id).value = ''));
    paintTable('');
    showMessages([]);
    writeFragment();
    $('main').focus();
  }

  async function copyTable() {
    const text = $('results').dataset.text;
    if (!text) {
      $('copied').textContent = '没有可复制的结果';
      return;
    }
    let ok = false;
    try {
      await navigator.clipboard.writeText(text);
      ok = true;
    } catch (e) {
      const area = document.createElement('textarea');
      area.value = text;
      area.setAttribute('readonly', '');
      area.className = 'offscreen';
      document.body.appendChild(area);
      area.select();
      try {
        ok = document.execCommand('copy');
      } catch (e2) {
        ok = false;
      }
      area.remove();
    }
    $('copied').textContent = ok ? '已复制' : '无法复制：请选中表格后按 Ctrl+C';
  }

  // ---- compare, near and the graphics adapter ------------------------------

  // Tenths of a per cent: neighbours in a list differ by less than one.
  function percent(relative) {
    const p = relative * 100;
    return p > 0 && p < 0.05 ? '<0.1%' : p.toFixed(1) + '%';
  }

  function element(tag, className, text) {
    const e = document.createElement(tag);
    if (className) e.className = className;
    if (text !== undefined) e.textContent = text;
    return e;
  }

  // Draws the devices of a --compare, --near or --mine answer; `onCandidate`
  // (optional) takes a candidate clicked in place of the name at `index`.
  function paintDevices(box, json, onCandidate) {
    box.dataset.json = json;
    box.textContent = '';
    const answer = JSON.parse(json);
    const top = {};
    answer.devices.forEach((d) => {
      if (d.list) top[d.list] = Math.max(top[d.list] || 0, d.score);
    });
    const list = element('ol', 'device-list');
    answer.devices.forEach((d, index) => {
      const item = element('li', d.query !== null && answer.devices.length > 1 && box.id === 'near-results'
                                     ? 'device centre' : 'device');
      const head = element('div', 'device-head');
      if (d.query !== null) head.appendChild(element('span', 'device-query', d.query));
      if (d.list) {
        head.appendChild(element('span', 'device-rank', d.list + d.rank));
        head.appendChild(element('span', 'device-name', d.description));
        item.appendChild(head);
        const bar = element('div', 'bar');
        bar.setAttribute('aria-hidden', 'true');
        const fill = element('div', 'bar-fill list-' + d.list);
        fill.style.width = Math.max(0.5, (100 * d.score) / top[d.list]).toFixed(1) + '%';
        bar.appendChild(fill);
        item.appendChild(bar);
        const figures = element('div', 'device-figures');
        figures.appendChild(element('span', 'device-score', '得分 ' + d.score));
        if (d.relative !== null) figures.appendChild(element('span', 'device-relative', '相对 ' + percent(d.relative)));
        item.appendChild(figures);
      } else {
        item.appendChild(head);
        item.appendChild(element('div', 'device-none', d.candidates.length ? '无唯一对应行，候选：' : '无对应行'));
        if (d.candidates.length) {
          const choices = element('div', 'candidates');
          d.candidates.forEach((c) => {
            const b = element(onCandidate ? 'button' : 'span', 'candidate', c);
            if (onCandidate) {
              b.type = 'button';
              b.addEventListener('click', () => onCandidate(index, c));
            }
            choices.appendChild(b);
          });
          item.appendChild(choices);
        }
      }
      if (d.note) item.appendChild(element('div', 'device-note', d.note));
      list.appendChild(item);
    });
    box.appendChild(list);
    const notes = answer.messages.filter((m) => !answer.devices.some((d) => d.note === m));
    if (notes.length) box.appendChild(element('p', 'notes', notes.join('\n')));
  }

  function namesInBox() {
    return $('compare-names').value.split('\n').map((s) => s.trim()).filter((s) => s !== '');
  }

  function runCompare() {
    const names = namesInBox();
    const box = $('compare-results');
    compared = names;
    if (!names.length) {
      box.dataset.json = '';
      box.textContent = '请输入设备名称，每行一个。';
    } else {
      const answer = cli(['--compare', '--format', 'json', '--'].concat(names));
      paintDevices(box, answer.out, (index, candidate) => {
        names[index] = candidate;
        $('compare-names').value = names.join('\n');
        runCompare();
      });
    }
    writeFragment();
  }

  function nearCount() {
    const n = Number($('near-count').value);
    return Number.isInteger(n) && n >= 0 && n <= 50 ? n : 5;
  }

  function runNear() {
    const name = $('near-name').value.trim();
    const box = $('near-results');
    nearAsked = name ? {name: name, count: nearCount()} : null;
    if (!name) {
      box.dataset.json = '';
      box.textContent = '请输入设备名称。';
    } else {
      $('near-count').value = nearAsked.count;
      const answer = cli(['--near', '--count', String(nearAsked.count), '--format', 'json', '--', name]);
      paintDevices(box, answer.out, (index, candidate) => {
        $('near-name').value = candidate;
        runNear();
      });
    }
    writeFragment();
  }

  // The browser's name of the graphics adapter: WebGL's unmasked renderer,
  // or its plain renderer where the extension is withheld; empty without WebGL.
  function webglRenderer() {
    try {
      const canvas = document.createElement('canvas');
      const gl = canvas.getContext('webgl') || canvas.getContext('experimental-webgl');
      if (!gl) return '';
      const info = gl.getExtension('WEBGL_debug_renderer_info');
      const name = info ? gl.getParameter(info.UNMASKED_RENDERER_WEBGL) : gl.getParameter(gl.RENDERER);
      return typeof name === 'string' ? name : '';
    } catch (e) {
      return '';
    }
  }

  function showMine() {
    renderer = webglRenderer();
    $('mine-reported').textContent = renderer || '（无）';
    const answer = cli(['--mine', '--scope', 'gpu', '--format', 'json'], renderer);
    paintDevices($('mine'), answer.out);
  }

  // ---- views ----------------------------------------------------------------

  function currentView() {
    const tab = tabs.find((t) => t.getAttribute('aria-selected') === 'true');
    return tab ? tab.dataset.view : views[0];
  }

  function showView(view, focus) {
    tabs.forEach((tab) => {
      const on = tab.dataset.view === view;
      tab.setAttribute('aria-selected', String(on));
      tab.tabIndex = on ? 0 : -1;
      $(tab.getAttribute('aria-controls')).hidden = !on;
      if (on && focus) tab.focus();
    });
  }

  // ---- the fragment: #q=4090&scope=gpu&and=…&or1=…&cmp=…&cmp=…&near=…&n=5&view=…

  function readFragment() {
    let params;
    try {
      params = new URLSearchParams(location.hash.replace(/^#/, ''));
    } catch (e) {
      return {};
    }
    const state = {};
    const text = (key) => {
      const v = params.get(key);
      return typeof v === 'string' ? v : null;
    };
    state.terms = {main: text('q'), and: text('and'), or1: text('or1'), or2: text('or2'), or3: text('or3')};
    if (scopes.includes(text('scope'))) state.scope = text('scope');
    const names = params.getAll('cmp').map((s) => s.trim()).filter((s) => s !== '');
    if (names.length) state.compare = names;
    if (text('near')) state.near = text('near');
    const n = Number(text('n'));
    if (text('n') !== null && Number.isInteger(n) && n >= 0 && n <= 50) state.count = n;
    if (views.includes(text('view'))) state.view = text('view');
    return state;
  }

  function writeFragment() {
    const params = new URLSearchParams();
    const keys = {main: 'q', and: 'and', or1: 'or1', or2: 'or2', or3: 'or3'};
    termBoxes.forEach((id) => {
      if ($(id).value !== '') params.append(keys[id], $(id).value);
    });
    if (scope() !== 'all') params.append('scope', scope());
    compared.forEach((name) => params.append('cmp', name));
    if (nearAsked) {
      params.append('near', nearAsked.name);
      params.append('n', String(nearAsked.count));
    }
    if (currentView() !== views[0]) params.append('view', currentView());
    const fragment = params.toString();
    lastFragment = fragment;
    const url = location.href.replace(/#.*$/, '') + (fragment ? '#' + fragment : '');
    try {
      history.replaceState(null, '', url);
    } catch (e) {
      location.replace('#' + fragment);
    }
  }

  function applyFragment() {
    const state = readFragment();
    termBoxes.forEach((id) => ($(id).value = (state.terms && state.terms[id]) || ''));
    $('scope-' + (state.scope || 'all')).checked = true;
    showView(state.view || views[0], false);
    if (state.compare) $('compare-names').value = state.compare.join('\n');
    if (state.near) $('near-name').value = state.near;
    if (state.count !== undefined) $('near-count').value = state.count;
    showMessages([]);
    if ($('main').value !== '') {
      runQuery();
    } else {
      paintTable('');
    }
    if (state.compare) runCompare();
    if (state.near) runNear();
    writeFragment();
  }

  // ---- start ----------------------------------------------------------------

  function wire() {
    $('query-form').addEventListener('submit', (e) => {
      e.preventDefault();
      runQuery();
    });
    // Enter on a scope option runs the query too, as in the term boxes.
    $('query-form').addEventListener('keydown', (e) => {
      if (e.key === 'Enter' && e.target.type === 'radio') {
        e.preventDefault();
        runQuery();
      }
    });
    // Choosing a scope runs the query, as the window's options do, once
    // there is a main term to run it with.
    scopes.forEach((s) =>
      $('scope-' + s).addEventListener('change', () => ($('main').value.trim() !== '' ? runQuery() : writeFragment())));
    $('reset').addEventListener('click', reset);
    $('copy').addEventListener('click', copyTable);
    $('compare-form').addEventListener('submit', (e) => {
      e.preventDefault();
      runCompare();
    });
    $('compare-names').addEventListener('keydown', (e) => {
      if (e.key === 'Enter' && (e.ctrlKey || e.metaKey)) {
        e.preventDefault();
        runCompare();
      }
    });
    $('near-form').addEventListener('submit', (e) => {
      e.preventDefault();
      runNear();
    });
    tabs.forEach((tab, i) => {
      tab.addEventListener('click', () => {
        showView(tab.dataset.view, true);
        writeFragment();
      });
      tab.addEventListener('keydown', (e) => {
        const step = {ArrowRight: 1, ArrowLeft: -1, Home: -i, End: tabs.length - 1 - i}[e.key];
        if (step === undefined) return;
        e.preventDefault();
        tabs[(i + step + tabs.length) % tabs.length].click();
      });
    });
    window.addEventListener('hashchange', () => {
      if (location.hash.replace(/^#/, '') !== lastFragment) applyFragment();
    });
  }

  function applyTexts() {
    const texts = JSON.parse(engine.UTF8ToString(engine._tianti_texts()));
    messageTitle = texts.title;
    document.title = texts.caption;
    $('caption').textContent = texts.caption;
    Object.keys(texts.tips).forEach((id) => {
      if ($(id)) $(id).title = texts.tips[id];
    });
    // The labels read their boxes' tips too.
    $('label-main').title = texts.tips.main;
    $('label-and').title = texts.tips.and;
  }

  showView(views[0], false);
  createTiantiEngine()
      .then((module) => {
        engine = module;
        applyTexts();
        wire();
        showMine();
        applyFragment();
        $('loading').textContent = '';
        $('loading').hidden = true;
        window.tiantiReady = true;
      })
      .catch((e) => {
        $('loading').textContent = '无法载入查询引擎：' + e;
        window.tiantiError = String(e);
      });
})();
