// The 天梯图 view: the ladder tianti-cli --ladder draws (the same command
// line run through the engine, see web/bindings.cpp), for the query's terms
// or for the compared devices as marks on a whole list, shown inline, its
// marks scrolled to, and saved as a file. web/page.js makes one with
// createLadderView(page), where `page` gives:
//   $(id), cli(args) -> {code, out, err}, element(tag, className, text),
//   queryScope() -> 'all'|'cpu'|'gpu', queryTerms() -> [main, and, or1, or2, or3],
//   compared() -> the names of the last comparison,
//   shown() -> whether the view is the one shown, changed() -> the state changed.
'use strict';
function createLadderView(page) {
  const $ = page.$;
  // What it draws ('query' or 'compare'), and its list when the reader
  // picked one (null: it follows the query, see scope()).
  let source = 'query';
  let scopeChosen = null;
  let drawn = null;  // the command line of the picture shown

  // The list of the first compared device that has one: 'cpu', 'gpu' or null.
  function comparedList() {
    const json = $('compare-results').dataset.json;
    if (!json) return null;
    try {
      const found = JSON.parse(json).devices.find((d) => d.list === 'C' || d.list === 'G');
      return found ? (found.list === 'C' ? 'cpu' : 'gpu') : null;
    } catch (e) {
      return null;
    }
  }

  // A ladder draws one list: the one chosen, else the query's when it is CPU
  // or GPU (for the compared devices, the first one's list first), else GPU.
  function scope() {
    if (scopeChosen) return scopeChosen;
    if (source === 'compare' && comparedList()) return comparedList();
    return page.queryScope() === 'all' ? 'gpu' : page.queryScope();
  }

  // As the engine reads the main box: blank when only spaces (also U+3000).
  function mainTermGiven() {
    return page.queryTerms()[0].replace(/[ \u3000]/g, '') !== '';
  }

  // The tianti-cli --ladder command line for the view's state: the query's
  // boxes go as the table's do (an OR box counts only after the ones before
  // it), the whole list without a main term.
  function args() {
    const line = ['--ladder', '--scope', scope()];
    if (source === 'compare') {
      page.compared().forEach((name) => line.push('--mark=' + name));
    } else if (mainTermGiven()) {
      const [main, also, ...ors] = page.queryTerms();
      line.push('--and=' + also);
      ors.forEach((term) => line.push('--or=' + term));
      line.push('--', main);
    }
    return line;
  }

  // What the picture shows, in words, and why its list is that one.
  function note(errors) {
    const list = scope().toUpperCase();
    const lines = [];
    if (source === 'compare') {
      lines.push(page.compared().length
                     ? '整张 ' + list + ' 榜，标出对比的设备。'
                     : '整张 ' + list + ' 榜。还没有对比的设备：在“对比 / 附近”中输入名称并对比。');
    } else {
      lines.push(mainTermGiven() ? list + ' 榜中查询到的全部行。' : '整张 ' + list + ' 榜(没有查询条件)。');
    }
    if (!scopeChosen && source === 'query' && page.queryScope() === 'all') {
      lines.push('查询范围是 ALL，而天梯图只画一张榜单：这里画 GPU 榜，可在“榜单”中改选 CPU。');
    }
    return lines.concat(errors).join('\n');
  }

  // Scrolls the picture (not the page) so that `mark` sits in the middle of
  // the part of the frame on screen (of the whole frame when little of it
  // is), sideways only as far as it takes to show the mark (from its left
  // end when it is wider than the frame), so the score axis stays where it can.
  function scrollToMark(mark) {
    const box = $('ladder');
    const at = mark.getBoundingClientRect();
    const frame = box.getBoundingClientRect();
    const top = Math.max(frame.top, 0);
    const bottom = Math.min(frame.top + box.clientHeight, window.innerHeight);
    const middle = bottom - top >= 4 * at.height ? (top + bottom) / 2 : frame.top + box.clientHeight / 2;
    box.scrollTop += at.top + at.height / 2 - middle;
    const left = at.left - frame.left;
    const right = left + at.width - box.clientWidth;
    if (left < 0 || at.width > box.clientWidth) {
      box.scrollLeft += left;
    } else if (right > 0) {
      box.scrollLeft += right;
    }
  }

  // The picture's row of maker names, again, kept at the top of the frame
  // once the picture's own has scrolled away: a copy of that bar and its
  // words (their style is the picture's), or null when it has none.
  function makerHead(svg) {
    const first = svg.querySelector('text.h');
    const bar = first && first.previousElementSibling;
    if (!bar || bar.tagName !== 'rect') return null;
    const top = Number(bar.getAttribute('y'));
    const height = Number(bar.getAttribute('height'));
    const width = svg.getAttribute('width');
    const ns = svg.namespaceURI;
    const head = document.createElementNS(ns, 'svg');
    const set = (e, attributes) => Object.keys(attributes).forEach((a) => e.setAttribute(a, attributes[a]));
    set(head, {'class': 'ladder-head', 'aria-hidden': 'true', 'width': width, 'height': height,
               'viewBox': '0 ' + top + ' ' + width + ' ' + height});
    const paper = document.createElementNS(ns, 'rect');
    set(paper, {x: 0, y: top, width: width, height: height, fill: '#fff'});
    head.appendChild(paper);
    head.appendChild(bar.cloneNode(true));
    svg.querySelectorAll('text.h, text.k').forEach((t) => {
      const y = Number(t.getAttribute('y'));
      if (y > top && y < top + height) head.appendChild(t.cloneNode(true));
    });
    head.dataset.below = top + height;
    head.style.marginBottom = -height + 'px';
    head.style.display = 'none';
    return head;
  }

  function scrolled() {
    const head = $('ladder').querySelector('.ladder-head');
    if (head) head.style.display = $('ladder').scrollTop < Number(head.dataset.below) ? 'none' : '';
  }

  // Draws the picture for the view's state (again only when that changed).
  function draw() {
    const line = args();
    $('ladder-scope-' + scope()).checked = true;
    $('ladder-source-' + source).checked = true;
    const key = JSON.stringify(line);
    if (key === drawn) return;
    drawn = key;
    const answer = page.cli(line);
    const box = $('ladder');
    // The CLI's notes of names it could not mark, in the page's language.
    const errors = answer.err.split('\n').filter((l) => l !== '').map((l) =>
      l.replace(/^tianti-cli: /, '').replace(' / did not resolve to a single row', '').replace('候选 candidates：', '候选：'));
    box.dataset.svg = answer.out;
    box.textContent = '';
    const marks = $('ladder-marks');
    marks.textContent = '';
    box.setAttribute('aria-label', '天梯图');
    if (answer.out) {
      const doc = new DOMParser().parseFromString(answer.out, 'image/svg+xml');
      const svg = document.importNode(doc.documentElement, true);
      const head = makerHead(svg);
      if (head) box.appendChild(head);
      box.appendChild(svg);
      const title = svg.querySelector('text.t');
      if (title) box.setAttribute('aria-label', title.textContent);
      box.scrollTop = 0;
      box.scrollLeft = 0;
      const found = Array.from(svg.querySelectorAll('g.mark'));
      found.forEach((mark) => {
        const number = mark.querySelector('text.n');
        const name = mark.querySelector('text.m');
        const label = (number ? number.textContent : '') + ' ' + (name ? name.firstChild.textContent : '');
        const b = page.element('button', 'candidate', label.trim());
        b.type = 'button';
        b.title = '在图中找到它';
        b.addEventListener('click', () => scrollToMark(mark));
        marks.appendChild(b);
      });
      if (found.length) scrollToMark(found[0]);
      scrolled();
    }
    $('ladder-note').textContent = note(errors);
  }

  // The picture as a file: a Blob behind a link's download, nothing sent.
  function save() {
    const svg = $('ladder').dataset.svg;
    if (!svg) return;
    const url = URL.createObjectURL(new Blob([svg], {type: 'image/svg+xml'}));
    const link = document.createElement('a');
    link.href = url;
    link.download = '天梯图-' + scope().toUpperCase() + '.svg';
    link.hidden = true;
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 60000);
  }

  function wire() {
    $('ladder-form').addEventListener('submit', (e) => e.preventDefault());
    ['query', 'compare'].forEach((s) =>
      $('ladder-source-' + s).addEventListener('change', () => {
        source = s;
        page.changed();
        draw();
      }));
    ['cpu', 'gpu'].forEach((list) =>
      $('ladder-scope-' + list).addEventListener('change', () => {
        scopeChosen = list;
        page.changed();
        draw();
      }));
    $('ladder-save').addEventListener('click', save);
    $('ladder').addEventListener('scroll', scrolled, {passive: true});
  }

  return {
    draw: draw,
    wire: wire,
    // The picture follows the query and the comparison while it is shown.
    changed: () => {
      if (page.shown()) draw();
    },
    // The fragment's part: ladder=compare, lscope=cpu|gpu.
    read: (params) => ({source: params.get('ladder') === 'compare' ? 'compare' : 'query',
                        scope: ['cpu', 'gpu'].includes(params.get('lscope')) ? params.get('lscope') : null}),
    write: (params) => {
      if (source !== 'query') params.append('ladder', source);
      if (scopeChosen) params.append('lscope', scopeChosen);
    },
    apply: (state) => {
      source = state.source || 'query';
      scopeChosen = state.scope || null;
    },
  };
}
