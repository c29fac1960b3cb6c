#pragma once

#include <QList>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

// The text of a PDF file as pdftotext (poppler-utils) reads it, as text search and copy give it.
// Pages are separated by form feeds. Null when pdftotext cannot read it.
inline QString pdfText(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), path, QStringLiteral("-")});
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The words of a PDF file's first page with their boxes (in points from the top left).
struct PdfWord {
    QString text;
    QRectF box;
};
inline QList<PdfWord> pdfWords(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-l"),
                                          QStringLiteral("1"), path, QStringLiteral("-")});
    p.waitForFinished(60000);
    static const QRegularExpression word(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    QList<PdfWord> words;
    for (const auto& m : word.globalMatch(QString::fromUtf8(p.readAllStandardOutput())))
        words.append(
            {m.captured(5), QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                   QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()))});
    return words;
}

// The first word of `lines` (split at blanks, ideographic ones too) that is
// not found in `text` in the order of the lines; "" when all are found in order.
inline QString firstWordOutOfOrder(const QString& text, const QStringList& lines)
{
    qsizetype at = 0;
    static const QRegularExpression blanks(QStringLiteral("[\\s\u3000]+"));
    for (const QString& line : lines) {
        for (const QString& word : line.split(blanks, Qt::SkipEmptyParts)) {
            const qsizetype found = text.indexOf(word, at);
            if (found < 0)
                return word;
            at = found + word.size();
        }
    }
    return {};
}
