#!/bin/bash
# Makes the reader's sample files from real text of this machine (the vim tutors), each in
# its encoding by iconv and in three line-end styles: NAME.lf.EXT, NAME.crlf.EXT, NAME.cr.EXT.
# NAME.expected holds the text (UTF-8, LF) a reader must get from every one of them.
set -eu
cd "$(dirname "$0")"
tutors=/usr/share/vim/vim90/tutor

# sample NAME EXT ICONV_CHARSET BOM_HEX < UTF-8 text with LF
sample() {
    local name=$1 ext=$2 charset=$3 bom=$4 text
    text=$(cat)
    printf '%s\n' "$text" >"$name.expected"
    for style in lf crlf cr; do
        case $style in
        lf) printf '%s\n' "$text" ;;
        crlf) printf '%s\n' "$text" | sed 's/$/\r/' ;;
        cr) printf '%s\n' "$text" | tr '\n' '\r' ;;
        esac >"$name.tmp"
        { printf "$bom"; iconv -f UTF-8 -t "$charset" <"$name.tmp"; } >"$name.$style.$ext"
        rm "$name.tmp"
    done
}

{ sed -n '18,20p' $tutors/tutor.zh_cn.utf-8; echo '第一讲第一节：移动光标'; } | sample gbk txt GBK ''
{ sed -n '18,20p' $tutors/tutor.zh_cn.utf-8; sed -n '20,22p' $tutors/tutor.fr.utf-8; } |
    sample utf8 txt UTF-8 ''
{ sed -n '20,22p' $tutors/tutor.de.utf-8; sed -n '18,20p' $tutors/tutor.zh_cn.utf-8; } |
    sample utf8bom txt UTF-8 '\xEF\xBB\xBF'
{ sed -n '20,22p' $tutors/tutor.el.utf-8; sed -n '18,20p' $tutors/tutor.zh_cn.utf-8; } |
    sample utf16le txt UTF-16LE '\xFF\xFE'
{ sed -n '20,22p' $tutors/tutor.ru.utf-8; echo '第一讲'; } | sample utf16be txt UTF-16BE '\xFE\xFF'
{ echo '<html><head><meta http-equiv="Content-Type" content="text/html; charset=iso-8859-1">';
  echo '</head><body><p>Grüße aus Köln</p>'; sed -n '20,22p' $tutors/tutor.de.utf-8;
  echo '</body></html>'; } | sample latin1 html ISO-8859-1 ''
{ echo '<!-- <meta charset="utf-8"> in a comment does not count -->';
  echo '<html><head><META charset="windows-1251"></head><body>';
  sed -n '20,22p' $tutors/tutor.ru.utf-8; echo '</body></html>'; } | sample cp1251 html CP1251 ''
{ echo '<html><head><meta content="text/html; charset=big5" http-equiv="content-type">';
  echo '</head><body>'; sed -n '19,21p' $tutors/tutor.zh_tw.utf-8; echo '</body></html>'; } |
    sample big5 html BIG5 ''
{ echo '<?xml version="1.0" encoding="Shift_JIS"?>'; echo '<html><body>';
  sed -n '20,22p' $tutors/tutor.ja.utf-8; echo '</body></html>'; } | sample sjis html SHIFT_JIS ''
