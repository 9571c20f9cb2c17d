#pragma once

#include <QString>

namespace amiscan {

// Writes the document's root element the way the program reads pages: tag names in capitals,
// each style attribute as its long-hand properties in capitals (padding right, left, bottom and
// top first, the others after them), text escaped as the service escapes it (and no-break spaces
// named), so that the page reader decodes the same text by either route. Called with the largest
// text answered; answers the page's address and that text, "too-large" when the text is longer,
// or null when there is no document.
inline const QString PageSerializerScript = QStringLiteral(R"JS(
(function (limit) {
  if (!document || !document.documentElement) return null;
  var VOID = {AREA:1, BASE:1, BR:1, COL:1, EMBED:1, HR:1, IMG:1, INPUT:1, LINK:1, META:1,
              PARAM:1, SOURCE:1, TRACK:1, WBR:1};
  var FIRST = ['padding-right', 'padding-left', 'padding-bottom', 'padding-top',
               'margin-right', 'margin-left', 'margin-bottom', 'margin-top'];
  function rank(name) { var i = FIRST.indexOf(name); return i < 0 ? FIRST.length : i; }
  function styleText(el) {
    var s = el.style, names = [], parts = [], i;
    for (i = 0; i < s.length; i++) names.push(s[i]);
    names.sort(function (a, b) { return rank(a) - rank(b); });
    for (i = 0; i < names.length; i++) {
      var v = s.getPropertyValue(names[i]);
      if (v === '' || v === 'initial') continue;
      parts.push(names[i].toUpperCase() + ': ' + v);
    }
    return parts.join('; ');
  }
  function text(t) {
    return t.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;')
            .replace(/"/g, '&quot;').replace(/\u00a0/g, '&nbsp;');
  }
  function attr(v) { return v.replace(/&/g, '&amp;').replace(/"/g, '&quot;'); }
  function write(node) {
    var out = '';
    for (var c = node.firstChild; c; c = c.nextSibling) {
      if (c.nodeType === 1) {
        var tag = c.tagName.toUpperCase();
        out += '<' + tag;
        for (var i = 0; i < c.attributes.length; i++) {
          var a = c.attributes[i], isStyle = a.name.toLowerCase() === 'style';
          var v = isStyle ? styleText(c) : a.value;
          if (isStyle && v === '') continue;
          out += ' ' + a.name + '="' + attr(v) + '"';
        }
        out += '>';
        if (!VOID[tag]) {
          out += (tag === 'SCRIPT' || tag === 'STYLE') ? c.textContent : write(c);
          out += '</' + tag + '>';
        }
      } else if (c.nodeType === 3) {
        out += text(c.data);
      } else if (c.nodeType === 8) {
        out += '<!--' + c.data + '-->';
      }
    }
    return out;
  }
  var html = write(document.documentElement);
  return html.length > limit ? 'too-large' : [location.href, html];
})(%1)
)JS");

// Stamps each document, as it is created, with the number of the navigation that brought it, and
// marks it once its own text has all come and been parsed (its frames, images and scripts may
// still be loading). Runs apart from the page's own scripts. Called with the number.
inline const QString DocumentStampScript = QStringLiteral(R"JS(
window.amiscanDocument = {navigation: %1, parsed: false};
document.addEventListener('DOMContentLoaded', function () {
  window.amiscanDocument.parsed = true;
});
)JS");

// Runs the script given second only in a document that the navigation numbered first brought and
// that has been parsed whole; answers null in any other.
inline const QString ParsedDocumentScript = QStringLiteral(R"JS(
(function (navigation) {
  var stamp = window.amiscanDocument;
  if (!stamp || stamp.navigation !== navigation || !stamp.parsed) return null;
  return (%2);
})(%1)
)JS");

// The length of the document's markup as it stands, while it loads.
inline const QString DocumentLengthScript = QStringLiteral(R"JS(
(function () {
  var root = document.documentElement;
  return root ? root.outerHTML.length : 0;
})()
)JS");

// Types the two texts into the first two input elements, as a user would, and clicks the first
// button, only while the page is still at the given address and has an input and a button.
// Called with a JSON array of the user name, the password and the address; answers "submitted",
// "no-form" or "other-page".
inline const QString LoginScript = QStringLiteral(R"JS(
(function (texts) {
  var expected;
  try { expected = new URL(texts[2]).href; } catch (e) { return 'other-page'; }
  if (location.href !== expected) return 'other-page';
  function type(el, value) {
    if (el.focus) el.focus();
    el.value = value;
    el.dispatchEvent(new Event('input', {bubbles: true}));
    el.dispatchEvent(new Event('change', {bubbles: true}));
  }
  var inputs = document.getElementsByTagName('input');
  var buttons = document.getElementsByTagName('button');
  if (inputs.length === 0 || buttons.length === 0) return 'no-form';
  type(inputs[0], texts[0]);
  if (inputs.length > 1) type(inputs[1], texts[1]);
  buttons[0].click();
  return 'submitted';
})(%1)
)JS");

} // namespace amiscan
