// Loading the help text: TfHelp::loadFile (file, reader, document) and the
// complete layout of the document at the window's width, for three 1 MB files
// that used to take minutes: alternating bold runs in one paragraph, nothing
// but paragraph ends, and plain text that is one long word.
#include "helpwindow.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTextDocument>

#include <benchmark/benchmark.h>

namespace {

constexpr qsizetype kFileSize = 1024 * 1024;

enum class HelpCase { BoldRuns, Paragraphs, PlainWord };

// About kFileSize bytes: the repeated piece between an RTF header and its end.
QByteArray helpData(HelpCase kind)
{
    QByteArray data;
    data.reserve(kFileSize + 64);
    const auto repeat = [&](const QByteArray& piece) {
        while (data.size() + piece.size() < kFileSize)
            data += piece;
    };
    switch (kind) {
    case HelpCase::BoldRuns:
        data = "{\\rtf1\\ansi ";
        repeat("\\b a\\b0 b");
        data += '}';
        break;
    case HelpCase::Paragraphs:
        data = "{\\rtf1\\ansi ";
        repeat("\\par");
        data += '}';
        break;
    case HelpCase::PlainWord:
        data = QByteArray(kFileSize, 'x');
        break;
    }
    return data;
}

void BM_HelpLoad(benchmark::State& state, HelpCase kind)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("ReadMe.rtf"));
    QFile file(name);
    const QByteArray data = helpData(kind);
    if (!dir.isValid() || !file.open(QIODevice::WriteOnly) || file.write(data) != data.size()) {
        state.SkipWithError("cannot write the test file");
        return;
    }
    file.close();

    TfHelp help;
    help.show();                    // the view sets the document's width when shown
    QCoreApplication::processEvents();
    QTextDocument* doc = help.rEdit->document();

    for (auto _ : state) {
        QString error;
        if (!help.loadFile(name, &error)) {
            state.SkipWithError(error.toStdString().c_str());
            return;
        }
        benchmark::DoNotOptimize(doc->documentLayout()->documentSize());
    }
    state.SetBytesProcessed(state.iterations() * data.size());
    state.counters["blocks"] = doc->blockCount();
    state.counters["width"] = doc->textWidth();
}

}  // namespace

BENCHMARK_CAPTURE(BM_HelpLoad, bold_runs, HelpCase::BoldRuns)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_HelpLoad, paragraphs, HelpCase::Paragraphs)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_HelpLoad, plain_word, HelpCase::PlainWord)->Unit(benchmark::kMillisecond);
