// The details page of one book as the user walks the list: the book's collection XML, the default
// template applied to it and the HTML laid out in the viewer.

#include "SyntheticCollection.h"

#include "book/cBookData.h"
#include "views/fDetails.h"

#include <QApplication>
#include <QTextBrowser>
#include <benchmark/benchmark.h>

namespace {

// The viewer needs a QApplication, and there can be only one application object: it is made before any
// benchmark runs, and the other benchmarks use it.
QApplication* MakeApplication()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "tomekeep_bench";
    static char* argv[] = {name, nullptr};
    // Never destroyed: it must outlive every other static object of the process.
    static QApplication* application = new QApplication(argc, argv);
    return application;
}
QApplication* const Application = MakeApplication();

void BM_DetailsOfOneBook(benchmark::State& state)
{
    const std::unique_ptr<TBookRoot> root = MakeSyntheticCollection(1000);
    TfmDetails panel(QStringLiteral(TOMEKEEP_RESOURCES_DIR "/Templates/details.xsl"));
    panel.resize(700, 300);
    panel.show();
    panel.SetRoot(root.get());
    const auto* browser = panel.findChild<QTextBrowser*>(QStringLiteral("htDetails"));
    int i = 0;
    for (auto _ : state) {
        panel.SetItem(root->Items->Items(i++ % root->Items->Count()));
        benchmark::DoNotOptimize(browser->document()->size());  // lays the page out
    }
}
BENCHMARK(BM_DetailsOfOneBook)->Unit(benchmark::kMillisecond);

}  // namespace
