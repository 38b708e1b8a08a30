// The browser page of the main window and the embedded browser it holds. The browser engine
// (Qt WebEngine) is only in builds configured with -DORLAVINE_WEBENGINE=ON; other builds
// answer false to CanUseCef4 and the page says why.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <string>

namespace orlavine {

// True when this build can show web pages; otherwise `raison` says why, in French.
bool CanUseCef4(QString& raison);

// Where the browser keeps its cookies and cache (set before the first browser is created).
void FixeCacheNavigateur(const QString& dossier);

// An embedded browser inside a parent widget.
class TFrmBrowserChromium : public QWidget {
    Q_OBJECT

public:
    explicit TFrmBrowserChromium(QWidget* owner);
    ~TFrmBrowserChromium() override;

    // The folder of its cookies and cache.
    QString CacheFolder;

    // Shows the browser in `parent`, with its callbacks: a load ended (with its success), the
    // address shown changed. The other three are accepted and not used.
    void Init(QWidget* parent, std::function<void()> notification,
              std::function<void(bool)> drapeau, std::function<void(bool)> finChargement,
              std::function<void(const std::string&)> texte,
              std::function<void(const std::string&)> changementAdresse);
    void LoadUrl(const std::string& url, const std::string& entetes = {});
    // The address shown now, after redirections.
    std::string CurrentUrl() const;

private:
    struct Moteur;
    Moteur* moteur_ = nullptr;
    std::function<void(bool)> finChargement_;
    std::function<void(const std::string&)> changementAdresse_;
    std::string adresse_;
};

} // namespace orlavine
