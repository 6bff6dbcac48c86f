// The main window over synthetic collections, driven offscreen: opening a collection until the window is
// ready, the keep-view refresh after a change, and re-sorting the list by a header click.

#include "SyntheticCollection.h"

#include "app/cGatherixPrefs.h"
#include "book/cBookData.h"
#include "platform/Messenger.h"
#include "views/cFolderTree.h"
#include "views/fMain.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <map>

namespace {

constexpr int Small = 10000;
constexpr int Large = 100000;

// The window needs a QApplication; another benchmark file may already have made a plain application.
bool PrepareWidgets(benchmark::State& state)
{
    static int argc = 1;
    static char name[] = "tomekeep_bench";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        // Windows register the collection file type when they go: into a folder of our own, not the user's.
        static const QTemporaryDir desktopData;
        qputenv("XDG_DATA_HOME", QFile::encodeName(desktopData.path()));
        new QApplication(argc, argv);
    }
    // The windows measured never go looking for a newer version.
    Prefs().NrDaysBetweenUpdateChecks = -1;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        state.SkipWithError("run the window benchmarks on their own (--benchmark_filter=MainWindow)");
        return false;
    }
    static TRecordingMessenger messenger;
    SetMessenger(&messenger);
    return true;
}

// The collection's file, written once per size.
QString CollectionFile(int books)
{
    static const QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("window%1.tmk").arg(books));
    if (!QFile::exists(file) && !MakeSyntheticCollection(books)->SaveToFile(file))
        qFatal("cannot write %s", qPrintable(file));
    return file;
}

// A shown window over a fresh synthetic collection.
std::unique_ptr<TfmMain> ShownWindow(int books)
{
    auto form = std::make_unique<TfmMain>(MakeSyntheticCollection(books));
    form->resize(1000, 700);
    form->show();
    QCoreApplication::processEvents();
    return form;
}

void Open(benchmark::State& state)
{
    if (!PrepareWidgets(state))
        return;
    const QString file = CollectionFile(int(state.range(0)));
    for (auto _ : state) {
        TfmMain form(file);
        form.show();
        QCoreApplication::processEvents();
        state.PauseTiming();
        form.hide();
        state.ResumeTiming();
    }
}

// Grouped by Author with the biggest author's folder selected; a refresh as every change ends with it.
void KeepViewRefresh(benchmark::State& state)
{
    if (!PrepareWidgets(state))
        return;
    auto form = ShownWindow(int(state.range(0)));
    TFolderTree& folders = form->Folders();
    folders.CurrentPreset = 0;
    folders.ApplyPreset(0);
    form->ResetView();
    TTreeNode* biggest = nullptr;
    for (const auto& child : folders.RootNode->Children) {
        auto* author = static_cast<TLookupItem*>(child->Data);
        if (!biggest || author->UsageCount > static_cast<TLookupItem*>(biggest->Data)->UsageCount)
            biggest = child.get();
    }
    folders.SelectNode(biggest);
    folders.List.SelectRow(folders.List.rowCount() / 2);
    for (auto _ : state)
        form->RefreshView();
    state.counters["rows"] = folders.List.rowCount();
}

// No folders: the collection node lists every book; each click reverses the title order.
void HeaderSort(benchmark::State& state)
{
    if (!PrepareWidgets(state))
        return;
    auto form = ShownWindow(int(state.range(0)));
    TFolderTree& folders = form->Folders();
    folders.ItemSortFields.FreeAll();
    folders.ItemSortFields.AddField(form->Root().FieldByID(bfTitle), 1);
    for (auto _ : state)
        folders.HeaderClicked(0);
    state.counters["rows"] = folders.List.rowCount();
}

}  // namespace

BENCHMARK(Open)->Name("MainWindow/Open")->Arg(Small)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Open)
    ->Name("MainWindow/Open")
    ->Arg(Large)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(KeepViewRefresh)->Name("MainWindow/KeepViewRefresh")->Arg(Small)->Unit(benchmark::kMillisecond);
BENCHMARK(KeepViewRefresh)
    ->Name("MainWindow/KeepViewRefresh")
    ->Arg(Large)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(HeaderSort)->Name("MainWindow/HeaderSort")->Arg(Small)->Unit(benchmark::kMillisecond);
BENCHMARK(HeaderSort)
    ->Name("MainWindow/HeaderSort")
    ->Arg(Large)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
