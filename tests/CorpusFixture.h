// The base of the corpus suites: the shared manifest, loaded once, and what a missing corpus
// means (skip, or fail when FOLIVO_REQUIRE_CORPUS=1).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "tests/ManifestReader.h"

namespace folivo::test {

inline const std::string CorpusDir = FOLIVO_CORPUS_DIR;

// Fails when the corpus is required, else skips; call from SetUp when the corpus is missing.
#define FOLIVO_CORPUS_MISSING(what)                                                             \
    do {                                                                                        \
        const char* require = std::getenv("FOLIVO_REQUIRE_CORPUS");                             \
        if (require && std::string(require) == "1") FAIL() << "FOLIVO_REQUIRE_CORPUS=1 but there is no " << (what); \
        GTEST_SKIP() << "corpus tests skipped: no " << (what);                                  \
    } while (false)

class CorpusFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        static const std::optional<Manifest> loaded = Manifest::Load(CorpusDir + "/MANIFEST.tsv");
        if (!loaded) FOLIVO_CORPUS_MISSING(CorpusDir + "/MANIFEST.tsv");
        manifest = &*loaded;
    }

    const std::string& Cell(size_t row, const std::string& column) const { return manifest->Cell(row, column); }

    // Files the reader takes: tables, streams, object streams and damaged ones; not encrypted.
    bool Readable(size_t row) const { return Cell(row, "encrypted") == "0"; }

    const Manifest* manifest = nullptr;
};

}  // namespace folivo::test
