// TFrmPrefCarte: the map preferences window ("Préférences graphiques…"): ranked towns
// shown around the selection, distance disks, their colours, the blinking limit and the
// legend. The values are the TPreferencesCarte fields of the window itself, which the
// atlas (TCarteFrance::Preferences) and the map window read directly. They are loaded from
// "pref-graph.ini" (section "Graph") when the window is built and written back when it is
// destroyed; changes in the controls reach the fields only through bbOkClick.
#pragma once

#include "atlas/preferences.h"

#include <QWidget>
#include <filesystem>
#include <functional>
#include <string>

class QCheckBox;
class QComboBox;
class QRadioButton;
class QTabWidget;

namespace orlavine {

class TComboBoxColor;

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

    // Out-of-range values read as their defaults (LitPreferencesCarte).
    void ChargePreferences();
    // Raises Erreur, naming the file, when it could not be written.
    void SauvePreferences();
    // How a failed save at destruction is reported (UTF-8; standard error unless replaced).
    std::function<void(const std::string&)> SignaleErreur;
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
