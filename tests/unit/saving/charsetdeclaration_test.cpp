#include "saving/charsetdeclaration.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char *html;
    const char *expected;
};

class DeclareCharset : public ::testing::TestWithParam<Case> {};

TEST_P(DeclareCharset, DeclaresTheEncodingWritten) {
    EXPECT_EQ(saving::declareCharset(QString::fromUtf8(GetParam().html), "gb18030"),
              QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DeclareCharset,
    ::testing::Values(
        Case{"<head><meta charset=\"utf-8\"></head>", "<head><meta charset=\"gb18030\"></head>"},
        Case{"<HEAD><META CHARSET=UTF-8></HEAD>", "<HEAD><META CHARSET=gb18030></HEAD>"},
        Case{"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=big5\">",
             "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb18030\">"},
        Case{"<meta content='text/html;charset=utf-8' http-equiv=Content-Type>",
             "<meta content='text/html;charset=gb18030' http-equiv=Content-Type>"},
        Case{"<HTML><head><title>中</title></head>",
             "<HTML><head><meta charset=\"gb18030\"><title>中</title></head>"},
        Case{"<HTML><header>x</header>", "<meta charset=\"gb18030\"><HTML><header>x</header>"},
        Case{"<p>charset=utf-8 in text</p><meta name=x>",
             "<meta charset=\"gb18030\"><p>charset=utf-8 in text</p><meta name=x>"},
        Case{"<meta charset=\"utf-8\"", "<meta charset=\"gb18030\"><meta charset=\"utf-8\""}));

} // namespace
