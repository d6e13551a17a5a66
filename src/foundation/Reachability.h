#pragma once

#include <QHostAddress>
#include <QNetworkInformation>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

// Whether the network can be reached, and a notification when that changes.
// Reads the system's state through QNetworkInformation; a state it cannot tell
// (unknown, or no backend at all) counts as reachable, so the program never
// refuses network work because the system gave no answer. Changes run the
// blocks and then post "kReachabilityChangedNotification" (object: the
// monitor) on the main thread.
class Reachability : public QObject
{
    Q_OBJECT

public:
    // Reachability flags, by their bit values.
    enum Flag : quint32 {
        TransientConnection = 1,
        Reachable = 2,
        ConnectionRequired = 4,
        ConnectionOnTraffic = 8,
        InterventionRequired = 16,
        ConnectionOnDemand = 32,
        IsLocalAddress = 0x10000,
        IsDirect = 0x20000,
    };
    enum NetworkStatus { NotReachable = 0, ReachableViaWWAN = 1, ReachableViaWiFi = 2 };

    using Block = std::function<void(Reachability *)>;

    static std::unique_ptr<Reachability> reachabilityWithHostname(const QString &hostname);
    static std::unique_ptr<Reachability> reachabilityWithHostName(const QString &hostname)
    {
        return reachabilityWithHostname(hostname);
    }
    static std::unique_ptr<Reachability> reachabilityWithAddress(const QHostAddress &address);
    // The default route (0.0.0.0): the internet connection.
    static std::unique_ptr<Reachability> reachabilityForInternetConnection();
    // The link-local network 169.254.0.0.
    static std::unique_ptr<Reachability> reachabilityForLocalWiFi();

    ~Reachability() override;

    Block reachableBlock() const { return m_reachableBlock; }
    void setReachableBlock(Block block) { m_reachableBlock = std::move(block); }
    Block unreachableBlock() const { return m_unreachableBlock; }
    void setUnreachableBlock(Block block) { m_unreachableBlock = std::move(block); }
    bool reachableOnWWAN() const { return m_reachableOnWWAN; }
    void setReachableOnWWAN(bool reachable) { m_reachableOnWWAN = reachable; }

    // Starts following changes; false, and stopped, when the system offers no
    // way to follow them.
    bool startNotifier();
    void stopNotifier();
    bool isNotifying() const { return m_notifying; }

    static bool isReachableWithFlags(quint32 flags);
    bool isReachable() const;
    bool isReachableViaWWAN() const { return false; }
    bool isReachableViaWiFi() const;
    bool connectionRequired() const { return isConnectionRequired(); }
    bool isConnectionRequired() const;
    bool isConnectionOnDemand() const;
    bool isInterventionRequired() const;
    NetworkStatus currentReachabilityStatus() const;
    quint32 reachabilityFlags() const;
    QString currentReachabilityString() const;
    // The flags as "X" and one letter per flag, "-" where unset: "XR ctiCDld".
    QString currentReachabilityFlags() const;
    static QString flagsString(quint32 flags);
    QString description() const;

    // The flags of the internet connection for a system state.
    static quint32 flagsForNetworkReachability(QNetworkInformation::Reachability reachability);

    // Handles new flags: the matching block, then the notification, posted on
    // the main thread.
    void reachabilityChanged(quint32 flags);

private:
    enum class Target { Internet, Host, Address, LocalWiFi };

    Reachability(Target target, QString host, QHostAddress address);

    Target m_target;
    QString m_host;
    QHostAddress m_address;
    Block m_reachableBlock;
    Block m_unreachableBlock;
    bool m_reachableOnWWAN = true;
    bool m_notifying = false;
    QMetaObject::Connection m_connection;
};
