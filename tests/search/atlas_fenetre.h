// Window tests on the small test atlas, written once per suite in a temporary folder, with
// fresh settings before each test; and the wait on the event loop the window tests share.
#pragma once

#include "search/parametres.h"
#include "tests/commun/atlas_essai.h"

#include <QElapsedTimer>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

namespace orlavine::essai {

// Empties the settings file.
inline void EffaceParametres() {
    auto reglages = OuvreParametres();
    reglages->clear();
    reglages->sync();
}

// Runs the event loop until `condition` holds (false after 10 s).
inline bool Attendre(const std::function<bool()>& condition) {
    QElapsedTimer t;
    t.start();
    while (!condition()) {
        if (t.elapsed() > 10000) return false;
        QTest::qWait(10);
    }
    return true;
}

class AtlasFenetre : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dossier_ = new QTemporaryDir;
        EcritAtlasEssai(Atlas());
    }
    static void TearDownTestSuite() {
        delete dossier_;
        dossier_ = nullptr;
    }
    static std::filesystem::path Atlas() {
        return std::filesystem::path(dossier_->path().toStdString()) / "atlas";
    }

private:
    static inline QTemporaryDir* dossier_ = nullptr;
};

} // namespace orlavine::essai
