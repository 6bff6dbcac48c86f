#pragma once
// Made-up book collections of any size for the benchmarks: names, titles and values drawn from word
// lists, with a few popular authors, publishers and series and a long tail of rare ones, as real
// collections have. The same size and seed always give the same collection.

#include <QtGlobal>
#include <memory>

class TBookRoot;

// A collection of `books` books with their pick lists, sections and a few hundred loans; no thumbnails.
std::unique_ptr<TBookRoot> MakeSyntheticCollection(int books, quint32 seed = 42);
