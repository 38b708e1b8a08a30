// TFrmPrefCarte: the map preferences window ("Préference graphique ..."): ranked towns
// shown around the selection, distance disks, their colours, the blinking limit and the
// legend. The values are the TPreferencesCarte fields of the window itself, which the
// atlas (TCarteFrance::Preferences) and the map window read directly. They are loaded from
// "pref-graph.ini" (section "Graph") when the window is built and written back when it is
// destroyed; changes in the controls reach the fields only through bbOkClick.
#pragma once

#include "atlas/preferences.h"

#include <QWidget>
#include <filesystem>

class QCheckBox;
class QComboBox;
class QRadioButton;
class QTabWidget;

namespace orlavine {

class TComboBoxColor;

// "pref-graph.ini" in the application-data folder (~/.local/share/Orlavine/).
std::filesystem::path CheminPrefGraphDefaut();

// The seventeen keys of section "Graph" of an ini file; a missing file, section or key, or
// a value that is not a number, gives the default of that key.
TPreferencesCarte LitPreferencesCarte(const std::filesystem::path& cheminIni);
// Rewrites the file with exactly the seventeen keys, in order, atomically. False (and the
// reason in `erreur`) when the file could not be written; the old file is then unchanged.
bool EcritPreferencesCarte(const std::filesystem::path& cheminIni, const TPreferencesCarte& p,
                           std::string* erreur = nullptr);
// Legend corner code of a legend list item: 0 none, 8 top left, 6 top right, 7 bottom
// left, 5 bottom right; 6 for any other value.
int CoinLegende(int positionLegende);

class TFrmPrefCarte : public QWidget, public TPreferencesCarte {
    Q_OBJECT

public:
    // Builds the window, ChargePreferences, then FixeDlg. The first window built becomes
    // the global FrmPrefCarte (cleared again when it is destroyed).
    explicit TFrmPrefCarte(QWidget* owner = nullptr,
                           std::filesystem::path cheminIni = CheminPrefGraphDefaut());
    // Saves the preferences (SauvePreferences).
    ~TFrmPrefCarte() override;

    const std::filesystem::path& CheminIni() const { return cheminIni_; }
    // The preference fields, for TCarteFrance::Preferences.
    const TPreferencesCarte& Preferences() const { return *this; }

    void ChargePreferences();
    // False when the file could not be written (nothing is reported to the user).
    bool SauvePreferences();
    // Fields -> controls, then hides the window.
    void FixeDlg();
    int GetPositionLegende() const;

    // ---- Controls ----
    QTabWidget* AdvOfficePager1 = nullptr;
    QWidget* tsCarte = nullptr;
    QWidget* TabSheet2 = nullptr;
    QRadioButton* cbAffCapitale = nullptr;
    QRadioButton* cbAffPrefec = nullptr;
    QRadioButton* cbAffSsPrefec = nullptr;
    QCheckBox* cbR3 = nullptr;
    QCheckBox* cbR5 = nullptr;
    QCheckBox* cbR8 = nullptr;
    QCheckBox* cbR10 = nullptr;
    QCheckBox* cbR12 = nullptr;
    QCheckBox* cbR20 = nullptr;
    QCheckBox* cbR50 = nullptr;
    QCheckBox* cbR100 = nullptr;
    QCheckBox* cbDisqueDegrade = nullptr;
    QCheckBox* cbAnimation15s = nullptr;
    TComboBoxColor* cbc100km = nullptr;
    TComboBoxColor* cbcCentral = nullptr;
    TComboBoxColor* cbcFondLegende = nullptr;
    QComboBox* cbPositionLegende = nullptr;

public slots:
    // Controls -> fields; writes no file.
    void bbOkClick();
    void bbCancelClick();
    // Raises OnChange.
    void PreferenceChange();

signals:
    void OnChange(QObject* sender);

private:
    void ConstruitControles();
    std::filesystem::path cheminIni_;
};

// The single preferences window of the program (null until one is built).
extern TFrmPrefCarte* FrmPrefCarte;

} // namespace orlavine
