#!/bin/bash
# aspconv's encodings under hostile but ordinary conditions: a byte-order mark or a state across
# pieces, converters that combine or reorder characters, a site of mixed encodings, pages that are
# valid UTF-8 byte for byte but are not UTF-8, and the summary of what was guessed.
# usage: aspconv_encodings.sh ASPCONV REFERENCE_CONVERT
set -u
. "$(dirname "$0")/lib.sh"
skip_if_missing "$(missing_tools iconv python3)"
aspconv_workplace "$1" "$2"

# Encodings with a byte-order mark or a state, over many pieces: one state for the whole code.
/usr/bin/python3 -c "
import sys
line = '<p>caf\u00e9 \u65e5\u672c\u8a9e <%= x %> \"q\"</p>\r\n'
sys.stdout.write(line * 4000)" >long.txt
reference <long.txt >long.vb
for encoding in UTF-16 UTF-32; do
  iconv -f UTF-8 -t "$encoding" <long.txt >"long-$encoding.asp"
  aspconv --encoding "$encoding" "long-$encoding.asp" -o "long-$encoding.vb"; rc=$?
  check "$encoding with a mark: the code has one, at its start" \
    "0 $(iconv -f UTF-8 -t "$encoding" <long.vb | sum)" "$rc $(sum <"long-$encoding.vb")"
  aspconv --encoding "$encoding" <"long-$encoding.asp" >"long-$encoding.out"; rc=$?
  check "$encoding on standard output: no mark, the page's order" \
    "0 $(iconv -f UTF-8 -t "${encoding}LE" <long.vb | sum)" "$rc $(sum <"long-$encoding.out")"
  { printf '\xef\xbb\xbf'; cat long.txt; } | iconv -f UTF-8 -t "${encoding}BE" >"long-$encoding-be.asp"
  aspconv --encoding "$encoding" "long-$encoding-be.asp" -o "long-$encoding-be.vb"; rc=$?
  check "$encoding big-endian with a mark: so is the code" \
    "0 $({ printf '\xef\xbb\xbf'; cat long.vb; } | iconv -f UTF-8 -t "${encoding}BE" | sum)" \
    "$rc $(sum <"long-$encoding-be.vb")"
  iconv -f UTF-8 -t "${encoding}LE" <long.txt >"long-$encoding-nomark.asp"
  aspconv --encoding "$encoding" "long-$encoding-nomark.asp" -o "long-$encoding-nomark.vb"; rc=$?
  check "$encoding without a mark: none in the code, read and written little-endian" \
    "0 $(iconv -f UTF-8 -t "${encoding}LE" <long.vb | sum)" "$rc $(sum <"long-$encoding-nomark.vb")"
done
# Converters that hold a character back to combine it with the next, or reorder them: each page
# is read in context, as iconv reads it, not byte by byte.
printf '<p>\xd7\xa9\xd7\x81\xd6\xb8\xd7\x9c\xd7\x95\xd6\xb9\xd7\x9d <%%= x %%> \xd7\x91\xd6\xbc</p>\r\n' >combining-CP1255.txt
printf 'Vi\xe1\xbb\x87t Nam, V <%%= x %%>\r\n' >combining-CP1258.txt
printf '\xe0\xae\x95\xe0\xaf\x8a \xe0\xae\xa4\xe0\xaf\x86 <%%= x %%>\r\n' >combining-TSCII.txt
for encoding in CP1255 CP1258 TSCII; do
  iconv -f UTF-8 -t "$encoding" <"combining-$encoding.txt" >combining.asp
  aspconv --encoding "$encoding" combining.asp -o combining.vb 2>err; rc=$?
  check "$encoding: read in context" "0 $(iconv -f "$encoding" -t UTF-8 <combining.asp | reference | sum)" \
    "$rc $(iconv -f "$encoding" -t UTF-8 <combining.vb | sum)$(cat err)"
done

# Kana and ASCII take turns, so that pieces end in the middle of both: each piece must carry on
# from the shift state the last one left.
/usr/bin/python3 -c "
import sys
sys.stdout.write(('<p>' + 'a'.join('\u65e5\u672c\u8a9e\u306e\u30da\u30fc\u30b8') + ' <%= x %></p>\r\n') * 30000)" >jp.txt
iconv -f UTF-8 -t ISO-2022-JP <jp.txt >jp.asp
aspconv --encoding ISO-2022-JP jp.asp -o jp.vb; rc=$?
check "ISO-2022-JP across pieces: right throughout" "0 $(reference <jp.txt | sum)" \
  "$rc $(iconv -f ISO-2022-JP -t UTF-8 <jp.vb | sum)"

# A site of mixed encodings: each page read as UTF-8 where it is, else as the detector says, and
# its code written in that encoding.
mkdir mixed
/usr/bin/python3 -c "
import random
random.seed(1)
words = '我们 你们 他们 今天 明天 学校 老师 学生 中国 北京 上海 工作 生活 时间 问题 发展 经济 社会 文化 历史 电脑 网络 信息 公司 产品 服务 用户 欢迎 光临 首页 联系 关于 新闻 登录 注册'.split()
for k in range(3):
    text = ''.join('<p>' + ''.join(random.choice(words) for _ in range(12)) + '<%= x %></p>\r\n' for _ in range(20))
    open(f'mixed/gbk{k}.asp', 'wb').write(text.encode('gbk'))
    open(f'mixed/utf{k}.asp', 'wb').write(text.encode('utf-8'))
"
aspconv --encoding auto -o mixed-code mixed 2>err; rc=$?
check "auto, a mixed site: summary, the detector's word a guess" \
  "0 converted 6 files, 0 failed (3 GB18030 guessed, 3 UTF-8)" "$rc $(cat err)"
check "auto: a GBK page's code in GBK" "$(iconv -f GB18030 -t UTF-8 <mixed/gbk1.asp | reference | sum)" \
  "$(iconv -f GB18030 -t UTF-8 <mixed-code/gbk1.vb | sum)"
check "auto: a UTF-8 page's code in UTF-8" "$(reference <mixed/utf1.asp | sum)" "$(sum <mixed-code/utf1.vb)"
# Pages whose bytes are valid UTF-8 but are not: ISO-2022-JP, whose 7-bit bytes would be taken as
# syntax, and UTF-16 and UTF-32 without a byte-order mark, whose ASCII leaves NUL bytes between.
/usr/bin/python3 -c "
import sys
sys.stdout.write(('<p>' + '\u65e5\u672c\u8a9e\u30be\u3042 \"q\"' + ' <%= \"x\" %></p>\r\n') * 50)" >kana.txt
mkdir unmarked
for encoding in ISO-2022-JP UTF-16LE UTF-16BE UTF-32LE UTF-32BE; do
  iconv -f UTF-8 -t "$encoding" <kana.txt >"unmarked/$encoding.asp"
done
aspconv --encoding auto -o unmarked-code unmarked 2>err; rc=$?
check "auto, pages valid as UTF-8 that are not: each read in its encoding" \
  "0 converted 5 files, 0 failed (1 ISO-2022-JP guessed, 1 UTF-16BE guessed, 1 UTF-16LE guessed, 1 UTF-32BE guessed, 1 UTF-32LE guessed)" \
  "$rc $(cat err)"
for encoding in ISO-2022-JP UTF-16LE UTF-32BE; do
  check "auto, $encoding without a mark: its code in it" "$(reference <kana.txt | sum)" \
    "$(iconv -f "$encoding" -t UTF-8 <"unmarked-code/$encoding.vb" | sum)"
done

# A page that fails counts as failed alone, not under its encoding.
mkdir auto; for k in a b c; do cp page.asp "auto/$k.asp"; done
mkdir -p auto-code/c.vb
aspconv --encoding auto -o auto-code auto 2>err; rc=$?
check "auto, a page that fails: counted as failed alone" \
  "1 aspconv: auto-code/c.vb: cannot write output: Is a directory~converted 2 files, 1 failed (2 UTF-8)~" \
  "$rc $(tr '\n' '~' <err)"
aspconv mixed/gbk0.asp 2>err >/dev/null; rc=$?
check "a GBK page without --encoding: the hint names auto and the detector's guess" \
  "1 aspconv: mixed/gbk0.asp: input is not valid UTF-8 (bad byte at offset 3) (try --encoding auto, which reads it as GB18030)" \
  "$rc $(cat err)"

finish_checks
