#!/usr/bin/env python3
"""Writes a serial site as such sites are made, for measuring the serial chain by hand.

    python3 bench/serial_site.py OUT
    python3 -m http.server --bind 127.0.0.1 8731 -d OUT
    LUMARO_SERIAL_SITE=http://127.0.0.1:8731/book/1.html LUMARO_SERIAL_MANIFEST=OUT/manifest.json \
        build/tests/e2e/serial_e2e_tests --gtest_filter='*ServedSite*'

GBK pages with menus, adverts, a sidebar and the author in the header; the site's name after
every <title>; chapters split over pages three ways (下一页 beside 下一章, 下一页 alone with
"本章未完", numbered page links); a picture as one "下一章" link. manifest.json lists every
chapter's title and paragraphs as a reader would want them.
"""
import json
import os
import sys

CHAPTERS = 12
BOOK = "山河剑客"
SITE = "笔趣阁"
NAMES = ["山门", "下山", "夜雨", "古道", "长亭", "渡口", "旧城", "风起", "故人", "对弈", "归途", "终章"]
NUMERALS = "一二三四五六七八九十"


def numeral(n):
    if n <= 10:
        return NUMERALS[n - 1]
    return "十" + NUMERALS[n - 11]


def title(n):
    return "第%s章 %s" % (numeral(n), NAMES[n - 1])


def paragraphs(n):
    if n == 11:  # a short chapter: the article reader takes in the comments below it
        return ["第11章第1段：归途很短，他只说了一句话。"]
    count = 3 + n % 4
    return ["第%d章第%d段：%s的路上，风吹过松林，他想起师父说过的话，又往前走了一程。" %
            (n, p, NAMES[n - 1]) for p in range(1, count + 1)]


def pages_of(n):
    """How chapter n is split: a list of paragraph lists, one per page, and the way."""
    paras = paragraphs(n)
    if n == 3:
        return [paras[:2], paras[2:]], "beside"
    if n == 5:
        return [paras[:2], paras[2:]], "alone"
    if n == 7:
        third = max(1, len(paras) // 3)
        return [paras[:third], paras[third:2 * third], paras[2 * third:]], "numbered"
    return [paras], None


def page_url(n, page):
    return "%d.html" % n if page == 1 else "%d_%d.html" % (n, page)


def chapter_page(n, page, pages, way):
    last_page = page == len(pages)
    count = len(pages)
    shown = title(n) + ("（%d/%d）" % (page, count) if count > 1 else "")
    next_chapter = "%d.html" % (n + 1) if n < CHAPTERS else "/book/"
    prev = "%d.html" % (n - 1) if n > 1 else "/book/"
    links = ['<a href="%s">上一章</a>' % prev, '<a href="/book/">目录</a>']
    if not last_page:
        links.append('<a href="%s">下一页</a>' % page_url(n, page + 1))
    if way == "numbered":
        links += ['<a href="%s">%d</a>' % (page_url(n, p), p) for p in range(1, count + 1)]
    if last_page or way in ("beside", "numbered"):
        if n == 9:
            links.append('<a href="%s"><img src="/img/next.gif" alt="下一章"></a>' % next_chapter)
        else:
            links.append('<a href="%s">下一章</a>' % next_chapter)
    body = "".join("<p>%s</p>\n" % p for p in pages[page - 1])
    if way == "alone" and not last_page:
        body += "<p>本章未完，请点击下一页继续阅读</p>\n"
    heading = "<h1>%s</h1>" % shown if n % 2 == 0 else "<h1>%s</h1>" % BOOK
    if n == 11:
        body += ("<div class=\"footer\"><p>上一章 | 目录 | 下一章</p><p>求月票！求推荐票！</p>"
                 "<p>请记住本站域名：www.biquge.la</p></div><div class=\"comments\"><p>网友评论</p>"
                 "<p>书友甲：好看</p><p>回复(3)</p><p>发表评论</p></div>")
    return ("<!DOCTYPE html><html><head><meta charset=\"gbk\"><title>%s_%s_%s</title></head>"
            "<body><div id=\"menu\"><a href=\"/\">首页</a> <a href=\"/top\">排行榜</a> "
            "<a href=\"/new\">最新更新</a></div><div class=\"info\">%s 作者：王五 更新时间：2024-05-01"
            "</div><div class=\"ad\">广告：充值就送书币，点击领取大礼包</div>"
            "<div class=\"pager\">%s</div><div id=\"content\">%s\n%s</div>"
            "<div class=\"pager\">%s</div><div class=\"sidebar\"><h3>热门小说</h3><ul>"
            "<li><a href=\"/b/1\">别的书一</a></li><li><a href=\"/b/2\">别的书二</a></li></ul></div>"
            "<div class=\"ad\">广告：下载客户端看书更快</div></body></html>"
            % (shown, BOOK, SITE, BOOK, " ".join(links), heading, body, " ".join(links)))


def main():
    out = sys.argv[1]
    os.makedirs(os.path.join(out, "book"), exist_ok=True)
    manifest = {"author": "王五", "chapters": []}
    for n in range(1, CHAPTERS + 1):
        pages, way = pages_of(n)
        for page in range(1, len(pages) + 1):
            with open(os.path.join(out, "book", page_url(n, page)), "wb") as f:
                f.write(chapter_page(n, page, pages, way).encode("gbk"))
        manifest["chapters"].append({"title": title(n), "paragraphs": paragraphs(n)})
    with open(os.path.join(out, "book", "index.html"), "wb") as f:
        f.write(("<html><head><meta charset=\"gbk\"><title>%s目录</title></head><body>作者：王五"
                 "</body></html>" % BOOK).encode("gbk"))
    with open(os.path.join(out, "manifest.json"), "w", encoding="utf-8") as f:
        json.dump(manifest, f, ensure_ascii=False)


if __name__ == "__main__":
    main()
