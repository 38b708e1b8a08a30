// Window tests on the small test atlas, written once per suite in a temporary folder, with
// fresh settings before each test.
#pragma once

#include "search/parametres.h"
#include "tests/commun/atlas_essai.h"

#include <QSettings>
#include <QTemporaryDir>
#include <filesystem>
#include <gtest/gtest.h>

namespace orlavine::essai {

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
    static void EffaceParametres() {
        auto reglages = OuvreParametres();
        reglages->clear();
        reglages->sync();
    }

private:
    static inline QTemporaryDir* dossier_ = nullptr;
};

} // namespace orlavine::essai
