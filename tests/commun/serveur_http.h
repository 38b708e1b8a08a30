// A minimal HTTP/1.1 server on 127.0.0.1 for the tests of the online paths: it notes every
// request (path, User-Agent, conditional or not, when it came) and answers what Repond gives,
// one request per connection. The tests never reach the network.
#pragma once

#include <QHash>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>
#include <chrono>

namespace orlavine::test {

class ServeurHttpEssai : public QObject {
public:
    struct Requete {
        QString Chemin;
        QByteArray UserAgent;
        bool Conditionnelle = false; // If-Modified-Since or If-None-Match
        std::chrono::steady_clock::time_point Heure;
    };

    ServeurHttpEssai() {
        serveur_.listen(QHostAddress::LocalHost, 0);
        connect(&serveur_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = serveur_.nextPendingConnection()) {
                ++ouvertes_;
                MaxSimultanees = std::max(MaxSimultanees, ouvertes_);
                connect(s, &QTcpSocket::readyRead, this, [this, s] { Lit(s); });
                connect(s, &QTcpSocket::disconnected, this, [this, s] {
                    --ouvertes_;
                    tampons_.remove(s);
                    s->deleteLater();
                });
            }
        });
    }
    // "http://127.0.0.1:<port>"
    QString Adresse() const {
        return QStringLiteral("http://127.0.0.1:%1").arg(serveur_.serverPort());
    }

    QList<Requete> Requetes;
    int MaxSimultanees = 0;

    // "200 OK", its headers and body: a whole answer, "Connection: close" added.
    static QByteArray Reponse(const QByteArray& statut, const QByteArray& entetes,
                              const QByteArray& corps) {
        return "HTTP/1.1 " + statut + "\r\n" + entetes +
               "Content-Length: " + QByteArray::number(corps.size()) +
               "\r\nConnection: close\r\n\r\n" + corps;
    }

protected:
    virtual QByteArray Repond(const Requete& r) = 0;

private:
    void Lit(QTcpSocket* s) {
        QByteArray& tampon = tampons_[s];
        tampon += s->readAll();
        const qsizetype fin = tampon.indexOf("\r\n\r\n");
        if (fin < 0) return;
        const QList<QByteArray> lignes = tampon.left(fin).split('\n');
        tampon.remove(0, fin + 4);
        Requete r{QString::fromLatin1(lignes[0].split(' ').value(1)),
                  {},
                  false,
                  std::chrono::steady_clock::now()};
        for (const QByteArray& l : lignes) {
            const QByteArray minuscule = l.trimmed().toLower();
            if (minuscule.startsWith("user-agent:")) r.UserAgent = l.trimmed().mid(11).trimmed();
            if (minuscule.startsWith("if-modified-since:") ||
                minuscule.startsWith("if-none-match:"))
                r.Conditionnelle = true;
        }
        Requetes.push_back(r);
        s->write(Repond(r));
        s->disconnectFromHost();
    }

    QTcpServer serveur_;
    QHash<QTcpSocket*, QByteArray> tampons_;
    int ouvertes_ = 0;
};

} // namespace orlavine::test
