// swde-check HTML report: renders the findings of each file from its inline JSON block, grouped
// per object, a page at a time, under the filters of the header. No network, no server.
(function () {
  'use strict';
  // The fields of one finding in a data block (see HtmlOutput.cpp).
  var LINE = 0, CODE = 1, SEV = 2, TYPE = 3, OBJECT_ID = 4, ENTRY = 6, KEY = 7, VALUE = 8,
      EXPECTED = 9, MESSAGE = 10, OBJECT_LINE = 11;
  // Findings per page, at least (a page ends with a whole object); "#page=N" in the address
  // sets another number.
  var PAGE = +((/[#&]page=(\d+)/.exec(location.hash) || [0, 500])[1]) || 500;
  var W = JSON.parse(document.getElementById('frame').textContent);

  function byId(id) { return document.getElementById(id); }
  function format(text, args) {
    return text.replace(/\{(\d)\}/g, function (m, i) { return String(args[+i]); });
  }
  function add(parent, tag, className, text) {
    var node = document.createElement(tag);
    if (className) node.className = className;
    if (text !== undefined && text !== null) node.textContent = text;
    parent.appendChild(node);
    return node;
  }

  var controls = {code: byId('f-code'), type: byId('f-type'), text: byId('f-text'),
                  error: byId('f-error'), warning: byId('f-warning')};

  // "6008", "6001,6020-6022": a list of [first, last]; null for an empty text, false when bad.
  function parseCodes(text) {
    if (!text.trim()) return null;
    var ranges = [];
    var parts = text.split(',');
    for (var i = 0; i < parts.length; ++i) {
      var m = /^\s*(\d{1,5})\s*(?:-\s*(\d{1,5})\s*)?$/.exec(parts[i]);
      if (!m) return false;
      var first = +m[1], last = m[2] === undefined ? first : +m[2];
      if (last < first) return false;
      ranges.push([first, last]);
    }
    return ranges;
  }

  function predicate() {
    var codes = parseCodes(controls.code.value);
    controls.code.classList.toggle('bad', codes === false);
    var type = controls.type.value.trim().toLowerCase();
    var text = controls.text.value.trim().toLowerCase();
    var shown = [controls.error.checked, controls.warning.checked];
    return function (f) {
      if (!shown[f[SEV]]) return false;
      if (codes) {
        var hit = false;
        for (var i = 0; i < codes.length && !hit; ++i) hit = f[CODE] >= codes[i][0] && f[CODE] <= codes[i][1];
        if (!hit) return false;
      }
      if (type && f[TYPE].toLowerCase().indexOf(type) < 0) return false;
      if (text) {
        var fields = [f[MESSAGE], f[VALUE], f[EXPECTED], f[KEY], f[ENTRY]];
        for (var j = 0; j < fields.length; ++j) {
          if (fields[j] !== null && fields[j].toLowerCase().indexOf(text) >= 0) return true;
        }
        return false;
      }
      return true;
    };
  }

  // The findings that pass, grouped per object in order of first appearance, cut into pages.
  function paginate(data, keep) {
    var groups = [], index = {};
    data.forEach(function (f) {
      if (!keep(f)) return;
      var id = f[TYPE] + '\u0000' + f[OBJECT_LINE] + '\u0000' + f[OBJECT_ID];
      var group = index[id];
      if (!group) group = index[id] = groups[groups.length] = [];
      group.push(f);
    });
    var pages = [[]], size = 0, count = 0;
    groups.forEach(function (group) {
      if (size >= PAGE) { pages.push([]); size = 0; }
      pages[pages.length - 1].push(group);
      size += group.length;
      count += group.length;
    });
    return {pages: pages, count: count};
  }

  function renderGroup(parent, group) {
    var first = group[0];
    var box = add(parent, 'div', 'object');
    var title = add(box, 'h3', null, first[TYPE] + ' ' + (first[KEY] !== null ? first[KEY] : W.id + ' ' + first[OBJECT_ID]));
    add(title, 'small', null, ' \u00b7 ' + W.id + ' ' + first[OBJECT_ID] + ' \u00b7 ' + W.at + ' ' + first[OBJECT_LINE]);
    var table = add(box, 'table');
    var columns = add(table, 'colgroup');
    ['line', 'code', 'severity', 'message', 'value', 'expected'].forEach(function (c) { add(columns, 'col', c); });
    var head = add(add(table, 'thead'), 'tr');
    [W.line, W.code, W.severity, W.message, W.value, W.expected].forEach(function (t) { add(head, 'th', null, t); });
    var body = add(table, 'tbody');
    group.forEach(function (f) {
      var row = add(body, 'tr', 'finding ' + (f[SEV] ? 'warning' : 'error'));
      row.dataset.code = f[CODE];
      add(row, 'td', 'line', f[LINE]);
      add(row, 'td', 'code', f[CODE]);
      add(row, 'td', 'severity', f[SEV] ? W.warning : W.error);
      add(row, 'td', 'message', f[MESSAGE]);
      add(row, 'td', 'value', f[VALUE] !== null ? '"' + f[VALUE] + '"' : '');
      add(row, 'td', 'expected', f[EXPECTED]);
    });
  }

  function render(file) {
    var list = file.list;
    while (list.firstChild) list.removeChild(list.firstChild);
    file.nav.hidden = file.result.pages.length < 2;
    if (file.data.length === 0) return;  // the header says there is nothing
    var page = file.result.pages[file.page];
    var shown = add(list, 'p', 'shown', format(W.shown, [file.result.count, file.data.length]));
    shown.dataset.shown = file.result.count;
    if (file.result.count === 0 && file.data.length > 0) add(list, 'p', 'none', W.none);
    page.forEach(function (group) { renderGroup(list, group); });
    var nav = file.nav;
    nav.querySelector('.page').textContent = format(W.page, [file.page + 1, file.result.pages.length]);
    nav.querySelector('.prev').disabled = file.page === 0;
    nav.querySelector('.next').disabled = file.page + 1 >= file.result.pages.length;
  }

  var files = [];
  Array.prototype.forEach.call(document.querySelectorAll('section.file'), function (section) {
    var file = {data: JSON.parse(section.querySelector('script.data').textContent), page: 0,
                list: section.querySelector('.list'), nav: add(section, 'nav', 'pages')};
    var prev = add(file.nav, 'button', 'prev', W.prev);
    add(file.nav, 'span', 'page');
    var next = add(file.nav, 'button', 'next', W.next);
    prev.type = next.type = 'button';
    prev.addEventListener('click', function () { file.page--; render(file); });
    next.addEventListener('click', function () { file.page++; render(file); });
    Array.prototype.forEach.call(section.querySelectorAll('svg.chart g.bar'), function (bar) {
      bar.addEventListener('click', function () { controls.code.value = bar.dataset.code; update(); });
    });
    files.push(file);
  });

  function update() {
    var keep = predicate();
    files.forEach(function (file) {
      file.result = paginate(file.data, keep);
      file.page = 0;
      render(file);
    });
  }
  ['code', 'type', 'text'].forEach(function (name) { controls[name].addEventListener('input', update); });
  ['error', 'warning'].forEach(function (name) { controls[name].addEventListener('change', update); });
  update();
  document.body.dataset.ready = '1';
})();
