// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The painter: the pictures the module defines, text measured and drawn as the desktop
// draws it, and the display lists of the windows, drawn in device pixels.
'use strict';

(function (B) {
  var pictures = {};          // id -> canvas with the picture at its own size

  // --- pictures ------------------------------------------------------------------------
  function definePicture(id, width, height, rgba) {
    var c = document.createElement('canvas');
    c.width = width;
    c.height = height;
    var ctx = c.getContext('2d');
    var img = ctx.createImageData(width, height);
    img.data.set(rgba);
    ctx.putImageData(img, 0, 0);
    pictures[id] = c;
  }

  // The page's icon in the browser's tab: the main window's.
  function setFavicon(id) {
    if (!pictures[id]) return;
    var link = document.querySelector('link[rel="icon"]');
    if (link) link.href = pictures[id].toDataURL('image/png');
  }

  function drawIcon(target, id) {
    var ctx = target.getContext('2d');
    ctx.clearRect(0, 0, target.width, target.height);
    if (!pictures[id]) return;
    ctx.imageSmoothingEnabled = false;
    ctx.drawImage(pictures[id], 0, 0, target.width, target.height);
  }

  // --- text ----------------------------------------------------------------------------
  var measureContext = document.createElement('canvas').getContext('2d');

  function lineMetrics(ctx, font) {
    ctx.font = font;
    var m = ctx.measureText('Hg');
    return { ascent: Math.round(m.fontBoundingBoxAscent), descent: Math.round(m.fontBoundingBoxDescent) };
  }

  function measure(font, text) {
    var lm = lineMetrics(measureContext, font);
    return { width: Math.ceil(measureContext.measureText(text).width), height: lm.ascent + lm.descent };
  }

  // A caption drawn as the desktop draws it: without antialiasing, every pixel either
  // the font's colour or left alone. The canvas smooths text, so each caption is drawn
  // once off screen, cut at half coverage, and kept.
  var textImages = new Map();
  var TEXT_IMAGES_KEPT = 512;

  function textImage(font, rgb, text, scale) {
    var key = scale + '|' + font + '|' + rgb + '|' + text;
    var hit = textImages.get(key);
    if (hit) return hit;
    var scaled = scaledFont(font, scale);
    var ctx = measureContext;
    var lm = lineMetrics(ctx, scaled);
    ctx.font = scaled;
    var m = ctx.measureText(text);
    // Glyphs may reach a little left of the pen and past the advance.
    var left = Math.max(0, Math.ceil(m.actualBoundingBoxLeft || 0));
    var width = Math.ceil(Math.max(m.width, m.actualBoundingBoxRight || 0)) + left;
    var height = lm.ascent + lm.descent;
    var img = { canvas: null, left: left, advance: m.width, lineHeight: height };
    if (width > 0 && height > 0 && text.length) {
      var c = document.createElement('canvas');
      c.width = width;
      c.height = height;
      var g = c.getContext('2d', { willReadFrequently: true });
      g.font = scaled;
      g.textBaseline = 'alphabetic';
      g.fillStyle = '#000000';
      g.fillText(text, left, lm.ascent);
      var data = g.getImageData(0, 0, width, height);
      var d = data.data, r = (rgb >> 16) & 255, gr = (rgb >> 8) & 255, bl = rgb & 255;
      for (var i = 0; i < d.length; i += 4) {
        var on = d[i + 3] >= 128;
        d[i] = r; d[i + 1] = gr; d[i + 2] = bl; d[i + 3] = on ? 255 : 0;
      }
      g.putImageData(data, 0, 0);
      img.canvas = c;
    }
    if (textImages.size >= TEXT_IMAGES_KEPT) textImages.clear();
    textImages.set(key, img);
    return img;
  }

  function scaledFont(font, scale) {
    return font.replace(/(\d+)px/, function (_, px) { return (Number(px) * scale) + 'px'; });
  }

  function rgbCss(rgb) {
    return '#' + ('00000' + (rgb & 0xffffff).toString(16)).slice(-6);
  }

  // --- display lists -------------------------------------------------------------------
  // The display list of a window, drawn in device pixels: every edge falls on a pixel.
  function draw(w, list) {
    var ctx = w.ctx;
    var s = w.scale || 1;
    function dev(v) { return Math.round(v * s); }
    function box(x, y, width, height) {
      var l = dev(x), t = dev(y);
      return [l, t, dev(x + width) - l, dev(y + height) - t];
    }
    ctx.save();
    ctx.imageSmoothingEnabled = false;
    for (var i = 0; i < list.length; ++i) {
      var c = list[i];
      var b = box(c.x, c.y, c.w, c.h);
      if (c.op === 'clip') {
        ctx.restore();
        ctx.save();
        ctx.imageSmoothingEnabled = false;
        ctx.beginPath();
        ctx.rect(b[0], b[1], b[2], b[3]);
        ctx.clip();
      } else if (c.op === 'fill') {
        ctx.fillStyle = rgbCss(c.rgb);
        ctx.fillRect(b[0], b[1], b[2], b[3]);
      } else if (c.op === 'text') {
        var t = textImage(c.font, c.rgb, c.text, s);
        var x = b[0], y = b[1];
        if (c.centred) {
          x = b[0] + Math.round((b[2] - t.advance) / 2);
          y = b[1] + Math.round((b[3] - t.lineHeight) / 2);
        }
        if (t.canvas) ctx.drawImage(t.canvas, x - t.left, y);
      } else if (c.op === 'picture') {
        var p = pictures[c.id];
        if (p) {
          var pb = box(c.x, c.y, p.width, p.height);
          ctx.drawImage(p, pb[0], pb[1], pb[2], pb[3]);
        }
      }
    }
    ctx.restore();
  }

  B.painter = {
    definePicture: definePicture, setFavicon: setFavicon, drawIcon: drawIcon,
    measure: measure, draw: draw,
  };
})(window.Brisco = window.Brisco || {});
