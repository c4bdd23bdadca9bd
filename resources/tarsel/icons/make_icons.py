#!/usr/bin/env python3
"""Writes the program's icons: small SVG glyphs, one per command, named by resource id.
Run it here; tarsel.qrc lists the files."""
from xml.sax.saxutils import escape

# id: (glyph, colour, background)
GLYPHS = {
    57600: ('□', '#333', '#fff'), 57601: ('開', '#a60', '#ffd'), 57603: ('保', '#036', '#def'),
    57607: ('印', '#333', '#eee'), 57609: ('覧', '#333', '#eee'), 57635: ('✂', '#a00', '#fff'),
    57634: ('複', '#036', '#fff'), 57637: ('貼', '#630', '#fed'), 57643: ('↶', '#036', '#fff'),
    57644: ('↷', '#036', '#fff'), 57640: ('↻', '#036', '#fff'), 32774: ('Σ', '#060', '#efe'),
    433: ('外', '#060', '#efe'), 434: ('Σ', '#060', '#efe'), 57666: ('?', '#00a', '#fff'),
    32787: ('B', '#000', '#fff'), 32788: ('I', '#000', '#fff'), 32789: ('U', '#000', '#fff'),
    32855: ('S', '#000', '#fff'), 32853: ('平', '#000', '#fff'), 32854: ('長', '#000', '#fff'),
    32860: ('x²', '#000', '#fff'), 32861: ('x₂', '#000', '#fff'), 32858: ('▢', '#000', '#fff'),
    32859: ('▨', '#444', '#fff'), 32790: ('A', '#c00', '#fff'), 32862: ('A', '#000', '#fd0'),
    377: ('左', '#000', '#fff'), 382: ('中', '#000', '#fff'), 378: ('右', '#000', '#fff'),
    383: ('☰', '#000', '#fff'), 387: ('•', '#000', '#fff'), 381: ('均', '#000', '#fff'),
    379: ('上', '#000', '#fff'), 380: ('下', '#000', '#fff'), 384: ('中', '#000', '#fff'),
    385: ('均', '#000', '#fff'), 386: ('☰', '#000', '#fff'), 388: ('•', '#000', '#fff'),
    32970: ('ふ', '#a0a', '#fff'), 32935: ('レ', '#a0a', '#fff'),
    252: ('f', '#00a', '#eef'), 32839: ('( )', '#00a', '#fff'), 32999: ('{', '#00a', '#fff'),
    32835: ('½', '#00a', '#fff'), 32838: ('√', '#00a', '#fff'), 32840: (')‾', '#00a', '#fff'),
    32841: ('xⁿ', '#00a', '#fff'), 32998: ('ₙC', '#00a', '#fff'), 32842: ('ā', '#00a', '#fff'),
    32843: ('Σ', '#00a', '#fff'), 32844: ('∫', '#00a', '#fff'), 32845: ('lim', '#00a', '#fff'),
    32846: ('sin', '#00a', '#fff'), 32847: ('▦', '#00a', '#fff'), 32848: ('→', '#00a', '#fff'),
    32893: ('大', '#060', '#fff'), 32894: ('小', '#060', '#fff'), 32895: ('▲', '#060', '#fff'),
    32896: ('▼', '#060', '#fff'), 32875: ('1', '#000', '#fff'), 32876: ('(1)', '#000', '#fff'),
    32899: ('ア', '#000', '#fff'), 32880: ('答', '#a00', '#fff'), 32991: ('（）', '#a00', '#fff'),
    32882: ('⊞', '#000', '#fff'), 32877: ('◭', '#000', '#fff'),
    461: ('一', '#a00', '#fff'), 32996: ('H', '#a60', '#fff'), 33004: ('W', '#00a', '#fff'),
    150: ('T', '#888', '#fff'), 151: ('O', '#048', '#fff'), 293: ('✓', '#000', '#fff'),
    32888: ('字', '#000', '#fff'), 32969: ('F', '#000', '#fff'),
}

# The maths template icons: one glyph per item of each picker category.
TEMPLATES = {
    250: '□', 251: '□□',
    159: '( )', 160: '[ ]', 161: '{ }', 162: '⟨ ⟩', 163: '| |', 164: '‖ ‖', 165: '⌊ ⌋', 166: '⌈ ⌉',
    167: '[ [', 168: '] ]', 169: '] [', 170: '( ]', 171: '[ )', 172: '(', 173: ')', 174: '[',
    175: ']', 176: '{', 177: '}', 178: '|', 179: '⟨',
    180: '½', 181: 'a/b', 182: '⅟', 184: '√', 183: 'ⁿ√', 185: ')‾', 186: '÷', 187: '⟌',
    194: 'xⁿ', 195: 'xₙ', 196: 'xⁿₙ', 191: 'ⁿx', 192: 'ₙx', 193: 'ⁿₙx', 197: 'x̂', 198: 'x′',
    199: 'x″', 200: 'x‴',
    201: 'ā', 202: 'a⃗', 203: 'ȧ', 204: 'ä', 205: 'â', 206: 'ã', 207: 'a̲',
    208: 'Σ', 209: 'Σₙ', 210: 'Σⁿₙ', 211: 'Π', 212: 'Πₙ', 213: 'Πⁿₙ',
    214: '∫', 215: '∫ₐᵇ', 216: '∬', 217: '∭', 218: '∮',
    219: 'lim', 220: 'lim→',
    221: 'sin', 222: 'cos', 223: 'tan', 224: 'sin⁻', 225: 'cos⁻', 226: 'tan⁻', 227: 'log', 228: 'ln',
    229: '▦', 230: '(▦)', 231: '[▦]', 232: '|▦|', 233: '▥', 234: '▤', 235: '⋯', 236: '⋮',
    237: '→', 238: '←', 239: '↔', 240: '⇒', 241: '⇐', 242: '⇔', 243: '↑', 244: '↓', 245: '↕',
    246: '⇀', 247: '↼', 248: '⇌', 249: '⟶',
    431: '{ ', 432: '{=',
    391: 'ₙPᵣ', 392: 'ₙCᵣ', 393: 'ₙHᵣ',
}


def icon(glyph, colour, background, width=16, height=16):
    size = 13 if len(glyph) == 1 else (9 if len(glyph) == 2 else 6)
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
            f'viewBox="0 0 {width} {height}">'
            f'<rect x="0.5" y="0.5" width="{width - 1}" height="{height - 1}" rx="2" fill="{background}" '
            f'stroke="#999"/>'
            f'<text x="{width / 2}" y="{height / 2 + size * 0.36:.1f}" font-size="{size}" font-family="sans-serif" '
            f'text-anchor="middle" fill="{colour}">{escape(glyph)}</text></svg>\n')


def write(name, text):
    with open(name, 'w', encoding='utf-8') as f:
        f.write(text)


for number, (glyph, colour, background) in GLYPHS.items():
    write(f'{number}.svg', icon(glyph, colour, background))
for number, glyph in TEMPLATES.items():
    write(f'{number}.svg', icon(glyph, '#00a', '#fff', 24, 24).replace('font-size="6"', 'font-size="8"'))

# The hover buttons: save in another format (normal, pressed, hot, disabled) and the search.
def button(text, width, fill, colour, stroke='#999'):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="22" viewBox="0 0 {width} 22">'
            f'<rect x="0.5" y="0.5" width="{width - 1}" height="21" rx="3" fill="{fill}" stroke="{stroke}"/>'
            f'<text x="{width / 2}" y="15" font-size="11" font-family="sans-serif" text-anchor="middle" '
            f'fill="{colour}">{escape(text)}</text></svg>\n')

for number, fill, colour in ((453, '#f4f4f4', '#036'), (452, '#bcd', '#013'), (454, '#def', '#036'),
                             (455, '#eee', '#aaa')):
    write(f'{number}.svg', button('他形式で保存', 100, fill, colour))
for number, fill, colour in ((365, '#f4f4f4', '#060'), (366, '#bdb', '#030'), (364, '#dfd', '#060'),
                             (363, '#eee', '#aaa')):
    write(f'{number}.svg', button('検索', 38, fill, colour))
