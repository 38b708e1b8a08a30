// The export text and the big-endian file writer, byte for byte.
#include "search/export_texte.h"
#include "tests/commun/outils.h"

#include <gtest/gtest.h>

using namespace orlavine;

using test::LitFichier;

TEST(TEHGFile, WritesNumbersMostSignificantByteFirst) {
    const test::DossierTemporaire dossier;
    const auto chemin = dossier.Chemin() / "t.bin";
    {
        TEHGFile f(chemin, fmCreer);
        f.WriteInt(0x01020304);
        f.WriteCardinal(0xFFFEFDFCu);
        f.WriteShort(-2);
        f.WriteWord(0xABCD);
        f.WriteByte(0x80);
        f.WriteChar('z');
        f.WriteText("abc");
        f.WriteText("\xE9\x80"); // e acute and the euro sign of Windows-1252
        f.WriteString(std::string("ok\0ignored", 10));
        f.Close();
    }
    const std::string attendu("\x01\x02\x03\x04"
                              "\xFF\xFE\xFD\xFC"
                              "\xFF\xFE"
                              "\xAB\xCD"
                              "\x80"
                              "z"
                              "\x00\x03\x00\x61\x00\x62\x00\x63"
                              "\x00\x02\x00\xE9\x20\xAC"
                              "ok",
                              2 + 4 + 4 + 2 + 2 + 1 + 1 + 8 + 6);
    EXPECT_EQ(LitFichier(chemin), attendu);
}

TEST(TEHGFile, CreateModeReplacesAndAMissingFolderRaises) {
    const test::DossierTemporaire dossier;
    const auto chemin = dossier.Chemin() / "t.txt";
    {
        TEHGFile f(chemin, fmCreer);
        f.WriteString("un texte plus long");
    }
    {
        TEHGFile f(chemin, fmCreer);
        f.WriteString("court");
    }
    EXPECT_EQ(LitFichier(chemin), "court");
    EXPECT_THROW(TEHGFile(dossier.Chemin() / "absent" / "x", fmCreer), std::ios_base::failure);
}

TEST(ProduitTexteExport, FullAndCompactTexts) {
    const std::vector<TLigneVoisine> lignes{{"78158", "LE CHESNAY", "3 km"},
                                            {"78686", "VIROFLAY", "4 km"}};
    const AnsiString info = "Versailles, est entour\xE9"
                            "e de 2 communes.";
    const AnsiString fin = "\r\n\r\n\t\t\t\t" + MentionExport();
    const AnsiString lignesTexte = "3 km\t:\t78158\tLE CHESNAY\r\n"
                                   "4 km\t:\t78686\tVIROFLAY\r\n";
    EXPECT_EQ(ProduitTexteExport(info, "VERSAILLES", lignes, false),
              "\r\n\r\n" + info + "\r\n" + "\r\n\r\n" +
                  "\t\tListe des communes avoisinantes de VERSAILLES :\r\n" + "\r\n\r\n" +
                  lignesTexte + "\r\n\r\n" + fin);
    EXPECT_EQ(ProduitTexteExport(info, "VERSAILLES", lignes, true),
              info + "\r\n" + "\t\tListe des communes avoisinantes de VERSAILLES :\r\n" +
                  lignesTexte + fin);
    // No neighbour: the heading and the closing lines remain.
    EXPECT_EQ(ProduitTexteExport("", "BUC", {}, true),
              "\r\n\t\tListe des communes avoisinantes de BUC :\r\n" + fin);
    EXPECT_EQ(MentionExport().find('\n'), AnsiString::npos);
}
