// Build step: draws the toolbar's button faces (a rounded badge in the button's colour with its
// character in white) as SVG files whose characters are outlines, so that the program shows
// them without any Chinese font; also writes the resource list that compiles them in.
// Usage: make_toolbar_icons OUTPUT_FOLDER
#include "shell/commandtable.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QPainterPath>
#include <QTextLayout>

#include <cstdio>

namespace {

constexpr int kSize = 32;

// Whether every character of `text` has a glyph in the fonts `font` falls back to.
bool fontsDraw(const QString &text, const QFont &font) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    for (const QGlyphRun &run : layout.glyphRuns()) {
        if (run.glyphIndexes().contains(0))
            return false;
    }
    return true;
}

QString number(qreal value) {
    return QString::number(value, 'f', 2);
}

// The path's outlines as SVG path data.
QString pathData(const QPainterPath &path) {
    QString data;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            data += QStringLiteral("M%1 %2").arg(number(e.x), number(e.y));
            break;
        case QPainterPath::LineToElement:
            data += QStringLiteral("L%1 %2").arg(number(e.x), number(e.y));
            break;
        case QPainterPath::CurveToElement: {
            const QPainterPath::Element c2 = path.elementAt(i + 1);
            const QPainterPath::Element end = path.elementAt(i + 2);
            data += QStringLiteral("C%1 %2 %3 %4 %5 %6")
                        .arg(number(e.x), number(e.y), number(c2.x), number(c2.y), number(end.x),
                             number(end.y));
            i += 2;
            break;
        }
        case QPainterPath::CurveToDataElement:
            break;
        }
    }
    return data;
}

QByteArray faceSvg(const QString &glyph, QRgb colour, const QFont &font) {
    QPainterPath text;
    text.addText(0, 0, font, glyph);
    const QRectF ink = text.boundingRect();
    text.translate(kSize / 2.0 - ink.center().x(), kSize / 2.0 - ink.center().y());
    return QStringLiteral(
               "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%1\" "
               "viewBox=\"0 0 %1 %1\"><rect x=\"1\" y=\"1\" width=\"30\" height=\"30\" rx=\"7\" "
               "fill=\"%2\"/><path fill=\"#ffffff\" fill-rule=\"%3\" d=\"%4\"/></svg>\n")
        .arg(kSize)
        .arg(QColor(colour).name(),
             text.fillRule() == Qt::WindingFill ? QStringLiteral("nonzero")
                                                : QStringLiteral("evenodd"),
             pathData(text))
        .toUtf8();
}

bool writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

} // namespace

int main(int argc, char *argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Not a word from Qt in the build's output (this step's own errors are its own).
    QLoggingCategory::setFilterRules(QStringLiteral("*.warning=false"));
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: make_toolbar_icons OUTPUT_FOLDER\n", stderr);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());
    QFont font(QStringList{QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Sans CJK SC"),
                           QStringLiteral("sans-serif")});
    font.setPixelSize(19);
    font.setBold(true);
    QByteArray qrc = "<RCC>\n  <qresource prefix=\"/toolbar\">\n";
    for (const shell::CommandEntry &row : shell::commandTable()) {
        if (row.place != shell::Place::Button ||
            row.face.kind == shell::ButtonFace::Kind::Separator)
            continue;
        const QString glyph = QString::fromUtf8(row.face.glyph);
        if (!fontsDraw(glyph, font)) {
            std::fprintf(stderr,
                         "make_toolbar_icons: no installed font draws \"%s\" (install "
                         "fonts-wqy-zenhei or fonts-noto-cjk)\n",
                         row.face.glyph);
            return 1;
        }
        const QString name = QString::fromLatin1(row.key) + QStringLiteral(".svg");
        if (!writeFile(out.filePath(name), faceSvg(glyph, row.face.colour, font))) {
            std::fprintf(stderr, "make_toolbar_icons: cannot write %s\n", qPrintable(name));
            return 1;
        }
        qrc += "    <file>" + name.toUtf8() + "</file>\n";
    }
    qrc += "  </qresource>\n</RCC>\n";
    return writeFile(out.filePath(QStringLiteral("toolbar_icons.qrc")), qrc) ? 0 : 1;
}
