#!/usr/bin/env node
// Converts the chinese-poetry npm package into quillwen-build's source format:
// OUT/category/book/volume.txt, names with order numbers, "# " headings, a
// paragraph per poem, and the corpus's notes, comments, prefaces and author
// biographies as 〔annotations〕. Volumes group the big collections so that the
// catalogue stays far below its 9999 records.
//
// usage: node convert-chinese-poetry.mjs PACKAGE_DIST_FOLDER OUT_FOLDER

import fs from 'node:fs';
import path from 'node:path';

const [dist, out] = process.argv.slice(2);
if (!dist || !out) {
  console.error('usage: convert-chinese-poetry.mjs PACKAGE_DIST_FOLDER OUT_FOLDER');
  process.exit(2);
}
if (fs.existsSync(out) && fs.readdirSync(out).length > 0) {
  console.error(`convert-chinese-poetry: ${out} is not empty`);
  process.exit(1);
}

const POEMS_PER_VOLUME = 500;
const VOLUMES_PER_BOOK = 10;

const read = (rel) => JSON.parse(fs.readFileSync(path.join(dist, rel), 'utf8'));
const numbered = (dir, prefix) =>
  fs.readdirSync(path.join(dist, dir))
    .filter((f) => f.startsWith(prefix) && /\.\d+\.json$/.test(f))
    .sort((a, b) => Number(a.match(/(\d+)\.json$/)[1]) - Number(b.match(/(\d+)\.json$/)[1]))
    .map((f) => path.join(dir, f));
const chunk = (list, size) =>
  Array.from({ length: Math.ceil(list.length / size) }, (_, i) => list.slice(i * size, (i + 1) * size));
const groupBy = (list, key) => {
  const groups = new Map();
  for (const item of list) {
    if (!groups.has(key(item))) groups.set(key(item), []);
    groups.get(key(item)).push(item);
  }
  return [...groups];
};

// Chinese numerals up to 9999, for volume names.
function zh(n) {
  const digits = '零一二三四五六七八九';
  const units = ['', '十', '百', '千'];
  const parts = String(n).split('').map(Number);
  let text = '';
  parts.forEach((d, i) => {
    const unit = units[parts.length - 1 - i];
    if (d === 0) { if (!text.endsWith('零') && i < parts.length - 1) text += '零'; return; }
    text += (d === 1 && unit === '十' && i === 0 ? '' : digits[d]) + unit;
  });
  return text.replace(/零+$/, '');
}

// --- the source format ---------------------------------------------------
const clean = (s) => String(s ?? '').replace(/\r/g, '').replace(/[\u0000-\u0008\u000b-\u001f\u007f]/g, '');
// Markers become literal; a line that would read as a heading is escaped.
const esc = (s) => clean(s).replace(/[\\〔〕]/g, (c) => '\\' + c).replace(/^#/gm, '\\#');
const lines = (list) => (list ?? []).flatMap((l) => esc(l).split('\n')).map((l) => l.trim()).filter(Boolean);
const heading = (text) => '# ' + esc(text).replace(/\s+/g, ' ').trim();
const note = (text) => {
  const body = lines([text]).join('\n');
  return body ? `〔${body}〕` : '';
};
const verse = (list) => lines(list).join('\n');
const prose = (list) => lines(list).join('\n\n');
const byline = (title, author) => (author ? `${title}（${clean(author).trim()}）` : title);

// Notes written "n.KEY--explanation" stand after the first KEY of the poem
// past the previous note's (or at its "[n]" marker); others follow the poem as
// annotations. Places are found in the text without annotations, then filled in.
function annotate(textLines, notes) {
  const inserts = [];
  const rest = [];
  let from = { line: 0, at: 0 };
  for (const raw of notes ?? []) {
    const text = clean(raw).trim();
    if (!text) continue;
    const m = text.match(/^(\d+)\.\s*(.*?)--([\s\S]*)$/);
    if (!m) { rest.push(text); continue; }
    const [, number, key, explanation] = m;
    const annotation = note(explanation) || note(text);
    const marker = `[${number}]`;
    let place = null;
    textLines.forEach((l, i) => { if (!place && l.includes(marker)) place = { line: i, at: l.indexOf(marker), remove: marker.length }; });
    for (let i = from.line; i < textLines.length && !place && key; i++) {
      const at = textLines[i].indexOf(esc(key), i === from.line ? from.at : 0);
      if (at >= 0) {
        place = { line: i, at: at + esc(key).length, remove: 0 };
        from = { line: i, at: place.at };
      }
    }
    if (place) inserts.push({ ...place, annotation }); else rest.push(text);
  }
  const result = [...textLines];
  inserts.sort((a, b) => b.line - a.line || b.at - a.at);
  for (const { line, at, remove, annotation } of inserts) {
    result[line] = result[line].slice(0, at) + annotation + result[line].slice(at + remove);
  }
  return { lines: result, rest: rest.map(note).filter(Boolean) };
}

function poem({ title, author, text, notes, before = [] }) {
  const { lines: body, rest } = annotate(lines(text), notes);
  const blocks = [heading(byline(title || '無題', author))];
  blocks.push(...before.map(note).filter(Boolean));
  if (body.length) blocks.push(body.join('\n'));
  if (rest.length) blocks.push(rest.join('\n'));
  return blocks.join('\n');
}

// --- the tree -------------------------------------------------------------
let records = 0;
const safe = (name) => clean(name).replace(/[/\\]/g, '／').replace(/^\.+/, '').trim().slice(0, 60) || '無題';
const pad = (n) => String(n).padStart(4, '0');
function category(number, name) {
  const dir = path.join(out, `${pad(number)} ${safe(name)}`);
  records++;
  let books = 0;
  return {
    book(name) {
      const bookDir = path.join(dir, `${pad(++books)} ${safe(name)}`);
      fs.mkdirSync(bookDir, { recursive: true });
      records++;
      let volumes = 0;
      return {
        volume(name, blocks) {
          const text = blocks.filter(Boolean).join('\n\n') + '\n';
          fs.writeFileSync(path.join(bookDir, `${pad(++volumes)} ${safe(name)}.txt`), text);
          records++;
        },
      };
    },
  };
}

// Big collections: volumes of POEMS_PER_VOLUME poems in file order, books of
// VOLUMES_PER_BOOK volumes; an author's biography comes before the first poem.
function collection(cat, poems, render, biographies = new Map()) {
  const shown = new Set();
  chunk(chunk(poems, POEMS_PER_VOLUME), VOLUMES_PER_BOOK).forEach((volumes, b) => {
    const first = b * VOLUMES_PER_BOOK + 1;
    const book = cat.book(`卷${zh(first)}至卷${zh(first + volumes.length - 1)}`);
    volumes.forEach((list, v) => {
      const authors = [list[0].author, list[list.length - 1].author].map((a) => clean(a).trim());
      const blocks = [];
      let previous = null;
      for (const p of list) {
        if (p.author !== previous && biographies.has(p.author) && !shown.has(p.author)) {
          shown.add(p.author);
          blocks.push(`${heading(p.author)}\n${note(biographies.get(p.author))}`);
        }
        previous = p.author;
        blocks.push(render(p));
      }
      book.volume(`卷${zh(first + v)} ${authors[0]}—${authors[1]}`.slice(0, 60), blocks);
    });
  });
}

const biographies = (list, name, text) => new Map(list.map((a) => [a[name], a[text]]).filter(([, t]) => clean(t).trim()));

// --- the corpus -----------------------------------------------------------
{
  const cat = category(1, '詩經');
  for (const [chapter, poems] of groupBy(read('shijing/shijing.json'), (p) => p.chapter)) {
    const book = cat.book(chapter);
    for (const [section, list] of groupBy(poems, (p) => p.section)) {
      book.volume(section, list.map((p) => poem({ title: p.title, text: p.content })));
    }
  }
}
{
  const book = category(2, '楚辭').book('楚辭');
  for (const [section, list] of groupBy(read('chuci/chuci.json'), (p) => p.section)) {
    book.volume(section, list.map((p) => poem({ title: p.title, author: p.author, text: p.content })));
  }
}
{
  const book = category(3, '論語').book('論語');
  for (const chapter of read('lunyu/lunyu.json')) book.volume(chapter.chapter, [prose(chapter.paragraphs)]);
}
{
  const cat = category(4, '四書');
  for (const file of ['daxue', 'zhongyong']) {
    const text = read(`sishuwujing/${file}.json`);
    cat.book(text.chapter).volume(text.chapter, [prose(text.paragraphs)]);
  }
  const mengzi = cat.book('孟子');
  for (const chapter of read('sishuwujing/mengzi.json')) mengzi.volume(chapter.chapter, [prose(chapter.paragraphs)]);
}
{
  const render = (p) => poem({ title: p.title, text: p.paragraphs, notes: p.notes });
  collection(category(5, '全唐詩'), numbered('quantangshi', 'poet.tang.').flatMap(read), render,
    biographies(read('quantangshi/authors.tang.json'), 'name', 'desc'));
  collection(category(6, '全宋詩'), numbered('quantangshi', 'poet.song.').flatMap(read), render,
    biographies(read('quantangshi/authors.song.json'), 'name', 'desc'));
}
{
  const render = (p) => poem({ title: [p.rhythmic, p.title].filter(Boolean).join('・'), text: p.paragraphs, before: [p.prologue] });
  collection(category(7, '宋詞'), numbered('songci', 'ci.song.').flatMap(read), render,
    biographies(read('songci/author.song.json'), 'name', 'description'));
}
{
  collection(category(8, '元曲'), read('yuanqu/yuanqu.json'),
    (p) => poem({ title: p.title, author: p.author, text: p.paragraphs }));
}
{
  const cat = category(9, '五代詩詞');
  const render = (p) => poem({ title: p.title || p.rhythmic, author: p.author, text: p.paragraphs, notes: p.notes });
  const huajian = cat.book('花間集');
  fs.readdirSync(path.join(dist, 'wudaishici/huajianji')).sort().forEach((file, i) => {
    huajian.volume(i === 0 ? '序' : `卷${zh(i)}`, read(`wudaishici/huajianji/${file}`).map(render));
  });
  const nantang = cat.book('南唐二主詞');
  const intro = read('wudaishici/nantang/intro.json');
  const authors = read('wudaishici/nantang/authors.json');
  nantang.volume(intro.title, [
    ...lines(intro.desc).map((d) => note(d)),
    ...authors.map((a) => `${heading(a.name)}\n${note(a.desc)}`),
    ...read('wudaishici/nantang/poetrys.json').map(render),
  ]);
}
{
  const cat = category(10, '御定全唐詩');
  const files = fs.readdirSync(path.join(dist, 'yudingquantangshi/json')).filter((f) => f.endsWith('.json')).sort();
  chunk(files, 100).forEach((group, b) => {
    const book = cat.book(`卷${zh(b * 100 + 1)}至卷${zh(b * 100 + group.length)}`);
    group.forEach((file, v) => {
      const poems = read(`yudingquantangshi/json/${file}`);
      book.volume(clean(poems[0]?.volume) || `卷${zh(b * 100 + v + 1)}`, poems.map((p) =>
        poem({ title: p.title, author: p.author, text: p.paragraphs, notes: p.notes, before: [p.biography] })));
    });
  });
}
{
  const cat = category(11, '蒙學');
  const m = (file) => read(`mengxue/${file}.json`);
  const sanzi = cat.book('三字經');
  sanzi.volume('新版', [verse(m('sanzijing-new').paragraphs)]);
  sanzi.volume('傳統版', [verse(m('sanzijing-traditional').paragraphs)]);
  cat.book('千字文').volume('千字文', [verse(m('qianziwen').paragraphs)]);
  const bai = m('baijiaxing');
  const baiBook = cat.book('百家姓');
  baiBook.volume('百家姓', [verse(bai.paragraphs)]);
  baiBook.volume('郡望', [bai.origin.map((o) => `${esc(o.surname)}${note(o.place)}`).join('\n')]);
  const dizi = m('dizigui');
  cat.book('弟子規').volume('弟子規', dizi.content.map((c) => `${heading(c.chapter)}\n${verse(c.paragraphs)}`));
  const anthology = (name, data, withSub) => {
    const book = cat.book(name);
    for (const type of data.content) {
      book.volume(type.type, type.content.map((p) => {
        const parts = p.paragraphs.map((x) => (typeof x === 'string' ? x : null));
        if (parts.every((x) => x !== null)) {
          return poem({ title: [p.chapter, withSub && p.subchapter].filter(Boolean).join('・'), author: p.author, text: p.paragraphs });
        }
        return p.paragraphs.map((x) => poem({ title: `${p.chapter}・${x.subchapter}`, author: p.author, text: x.paragraphs })).join('\n\n');
      }));
    }
  };
  anthology('千家詩', m('qianjiashi'), false);
  anthology('唐詩三百首', m('tangshisanbaishou'), true);
  cat.book('朱子家訓').volume('朱子家訓', [verse(m('zhuzijiaxun').paragraphs)]);
  const sectioned = (name, data) => {
    const book = cat.book(name);
    const intro = [data.abstract].flat().filter(Boolean).map(note);
    data.content.forEach((part, i) => book.volume(part.title ?? part.chapter, [
      ...(i === 0 ? intro : []),
      ...(part.content ?? [part]).map((c) => [heading(byline(c.chapter, [c.source, c.author].filter(Boolean).join(' '))), prose(c.paragraphs)].join('\n')),
    ]));
  };
  sectioned('聲律啓蒙', m('shenglvqimeng'));
  sectioned('古文觀止', m('guwenguanzhi'));
  sectioned('幼學瓊林', m('youxueqionglin'));
  sectioned('增廣賢文', m('zengguangxianwen'));
  const wenzi = m('wenzimengqiu');
  const wenziBook = cat.book('文字蒙求');
  wenziBook.volume('序', [note(wenzi.abstract), ...lines(wenzi.preface)]);
  for (const part of wenzi.content) wenziBook.volume(part.title, [prose(part.paragraphs)]);
}
{
  const cat = category(12, '別集');
  cat.book('曹操詩集').volume('曹操詩集', read('caocaoshiji/caocao.json').map((p) => poem({ title: p.title, author: '曹操', text: p.paragraphs })));
  cat.book('水墨唐詩').volume('水墨唐詩', read('shuimotangshi/shuimotangshi.json').map((p) =>
    poem({ title: p.title, author: p.author, text: p.paragraphs, before: [p.prologue] })));
  cat.book('納蘭性德詩集').volume('納蘭性德詩集', read('nalanxingde/纳兰性德诗集.json').map((p) => poem({ title: p.title, text: p.para })));
  cat.book('幽夢影').volume('幽夢影', read('youmengying/youmengying.json').map((p) =>
    esc(p.content).trim() + [p.comment ?? []].flat().map(note).join('')));
}

console.log(`convert-chinese-poetry: ${records} catalogue records written to ${out}`);
