// The host services written for the map: INI file, temporary files and mail.
#include "host/courriel.h"
#include "host/ini.h"
#include "tests/commun/outils.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace orlavine {
namespace {

using test::LitFichier;

TEST(Ini, LectureValeursEtDefauts) {
    TIniFile ini;
    ini.Analyse("; note\n[Graph]\r\nR3 = 1\r\nr5=0\nCoul=16777215\nHexa=$FF\nHexa2=0x10\n"
                "Texte=abc\nVide=\nR3=0\n\n[Autre]\nCle=valeur avec espaces  \n");
    EXPECT_TRUE(ini.SectionExists("graph"));
    EXPECT_TRUE(ini.ReadBool("Graph", "R3", false)); // the first of two equal keys wins
    EXPECT_FALSE(ini.ReadBool("Graph", "R5", true)); // keys ignore case
    EXPECT_EQ(ini.ReadInteger("Graph", "Coul", 0), 16777215);
    EXPECT_EQ(ini.ReadInteger("Graph", "Hexa", 0), 255);
    EXPECT_EQ(ini.ReadInteger("Graph", "Hexa2", 0), 16);
    EXPECT_EQ(ini.ReadInteger("Graph", "Texte", 7), 7);
    EXPECT_EQ(ini.ReadInteger("Graph", "Vide", 7), 7);
    EXPECT_TRUE(ini.ReadBool("Graph", "Texte", true));
    EXPECT_EQ(ini.ReadInteger("Graph", "Absente", -3), -3);
    EXPECT_EQ(ini.ReadInteger("Manque", "R3", 4), 4);
    EXPECT_EQ(ini.ReadString("Autre", "Cle", ""), "valeur avec espaces");
    EXPECT_EQ(ini.ReadInteger("Graph", "Grand", 1), 1);
    ini.Analyse("[G]\nGrand=99999999999\nNeg=-12\n");
    EXPECT_EQ(ini.ReadInteger("G", "Grand", 1), 1);
    EXPECT_EQ(ini.ReadInteger("G", "Neg", 1), -12);
}

TEST(Ini, EcritureOrdreGardeEtAtomique) {
    const test::DossierTemporaire dossier;
    const auto& d = dossier.Chemin();
    const auto chemin = d / "sous" / "essai.ini";
    TIniFile ini(chemin);
    EXPECT_FALSE(ini.Lu());
    ini.WriteBool("B", "Z", true);
    ini.WriteInteger("B", "A", -5);
    ini.WriteString("A", "Cle", "x\ny");
    ini.WriteBool("b", "z", false); // existing key, kept in place
    std::string erreur;
    ASSERT_TRUE(ini.UpdateFile(&erreur)) << erreur;
    EXPECT_EQ(LitFichier(chemin), "[B]\nZ=0\nA=-5\n\n[A]\nCle=x y\n");
    TIniFile relu(chemin);
    EXPECT_TRUE(relu.Lu());
    EXPECT_EQ(relu.ReadSection("B"), (std::vector<std::string>{"Z", "A"}));

    // A write that cannot end leaves the old file whole and no temporary behind.
    const auto bloque = d / "bloque.ini";
    std::filesystem::create_directories(bloque / "plein");
    EXPECT_FALSE(EcritFichierTexteAtomique(bloque, "[X]\n", &erreur));
    EXPECT_FALSE(erreur.empty());
    EXPECT_TRUE(std::filesystem::is_directory(bloque));
    int restes = 0;
    for (const auto& e : std::filesystem::directory_iterator(d))
        if (e.path().filename().string().find(".tmp-") != std::string::npos) ++restes;
    EXPECT_EQ(restes, 0);
}

TEST(Courriel, Base64) {
    const std::pair<std::string, std::string> cas[] = {{"", ""},
                                                       {"f", "Zg=="},
                                                       {"fo", "Zm8="},
                                                       {"foobar", "Zm9vYmFy"},
                                                       {{"\xff\x00\x80", 3}, "/wCA"}};
    for (const auto& [clair, code] : cas)
        EXPECT_EQ(EncodeBase64(clair), code);
}

TEST(Courriel, FichierTemporaireAvecPrefixeUnique) {
    const auto a = GetTempFileNameA("orv"), b = GetTempFileNameA("orv");
    EXPECT_TRUE(std::filesystem::exists(a) && std::filesystem::exists(b) && a != b);
    EXPECT_EQ(a.filename().string().rfind("orv", 0), 0u);
    std::filesystem::remove(a);
    std::filesystem::remove(b);
}

TEST(Courriel, SansClientLeMessageEstEnregistre) {
    const test::DossierTemporaire dossier;
    const auto& d = dossier.Chemin();
    const std::string ancienPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", d.c_str(), 1); // no xdg-email here
    setenv("XDG_DATA_HOME", d.c_str(), 1);
    const auto joint = d / "orvABC.bmp";
    test::EcritFichier(joint, std::string("BM\x01\x02", 4));
    const TResultatCourriel r = EnvMailWAttach("", "Export de la carte", "", joint.string());
    setenv("PATH", ancienPath.c_str(), 1);
    unsetenv("XDG_DATA_HOME");
    ASSERT_TRUE(r.Reussi) << r.Erreur;
    EXPECT_FALSE(r.ClientOuvert);
    EXPECT_EQ(r.Message.parent_path(), d / "Orlavine");
    EXPECT_EQ(r.Message.extension(), ".eml");
    const std::string m = LitFichier(r.Message);
    for (const std::string& morceau :
         {std::string("Subject: Export de la carte\r\n"),
          std::string("Content-Type: image/bmp; name=\"orvABC.bmp\""), EncodeBase64("BM\x01\x02")})
        EXPECT_TRUE(test::Contient(m, morceau));

    // A missing attachment is reported, not sent empty.
    std::string message, erreur;
    EXPECT_FALSE(ComposeMessage("", "s", "", (d / "absent.bmp").string(), message, &erreur));
    EXPECT_FALSE(erreur.empty());
    // Non-ASCII subject is encoded.
    ASSERT_TRUE(ComposeMessage("a@b.fr", "Communes \xE0 voir", "Corps", "", message));
    EXPECT_TRUE(test::Contient(message, "Subject: =?UTF-8?B?"));
}

} // namespace
} // namespace orlavine
