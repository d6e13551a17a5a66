#include "Reachability.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"

#include <QCoreApplication>
#include <QPointer>

static const QString kReachabilityChangedNotification
    = QStringLiteral("kReachabilityChangedNotification");

// The system's state, loading its backend on first use; none when no backend loads.
static QNetworkInformation *networkInformation()
{
    static bool s_triedLoading = false;
    if (!QNetworkInformation::instance() && !s_triedLoading) {
        s_triedLoading = true;
        if (!QNetworkInformation::loadDefaultBackend())
            QM_INFO(
                QStringLiteral("no network information backend; the network counts as reachable"));
    }
    return QNetworkInformation::instance();
}

std::unique_ptr<Reachability> Reachability::reachabilityWithHostname(const QString &hostname)
{
    if (hostname.isEmpty())
        return nullptr;
    return std::unique_ptr<Reachability>(new Reachability(Target::Host, hostname, {}));
}

std::unique_ptr<Reachability> Reachability::reachabilityWithAddress(const QHostAddress &address)
{
    if (address.protocol() != QAbstractSocket::IPv4Protocol)
        return nullptr;
    const bool linkLocal = address.isInSubnet(QHostAddress(QStringLiteral("169.254.0.0")), 16);
    return std::unique_ptr<Reachability>(
        new Reachability(linkLocal ? Target::LocalWiFi : Target::Address, QString(), address));
}

std::unique_ptr<Reachability> Reachability::reachabilityForInternetConnection()
{
    return std::unique_ptr<Reachability>(
        new Reachability(Target::Internet, QString(), QHostAddress::AnyIPv4));
}

std::unique_ptr<Reachability> Reachability::reachabilityForLocalWiFi()
{
    return reachabilityWithAddress(QHostAddress(QStringLiteral("169.254.0.0")));
}

Reachability::Reachability(Target target, QString host, QHostAddress address)
    : m_target(target), m_host(std::move(host)), m_address(std::move(address))
{ }

Reachability::~Reachability()
{
    stopNotifier();
}

bool Reachability::startNotifier()
{
    if (m_notifying)
        return true;
    QNetworkInformation *information = networkInformation();
    if (!information)
        return false;
    m_connection = connect(information, &QNetworkInformation::reachabilityChanged, this,
                           [this] { reachabilityChanged(reachabilityFlags()); });
    m_notifying = true;
    return true;
}

void Reachability::stopNotifier()
{
    if (!m_notifying)
        return;
    disconnect(m_connection);
    m_notifying = false;
}

bool Reachability::isReachableWithFlags(quint32 flags)
{
    if (!(flags & Reachable))
        return false;
    return (flags & (ConnectionRequired | TransientConnection))
           != (ConnectionRequired | TransientConnection);
}

bool Reachability::isReachable() const
{
    return isReachableWithFlags(reachabilityFlags());
}

bool Reachability::isReachableViaWiFi() const
{
    return reachabilityFlags() & Reachable;
}

bool Reachability::isConnectionRequired() const
{
    return reachabilityFlags() & ConnectionRequired;
}

bool Reachability::isConnectionOnDemand() const
{
    const quint32 flags = reachabilityFlags();
    return (flags & ConnectionRequired) && (flags & (ConnectionOnTraffic | ConnectionOnDemand));
}

bool Reachability::isInterventionRequired() const
{
    const quint32 flags = reachabilityFlags();
    return (flags & ConnectionRequired) && (flags & InterventionRequired);
}

Reachability::NetworkStatus Reachability::currentReachabilityStatus() const
{
    return isReachable() && isReachableViaWiFi() ? ReachableViaWiFi : NotReachable;
}

quint32 Reachability::flagsForNetworkReachability(QNetworkInformation::Reachability reachability)
{
    switch (reachability) {
    case QNetworkInformation::Reachability::Unknown:
    case QNetworkInformation::Reachability::Online:
        return Reachable;
    case QNetworkInformation::Reachability::Disconnected:
    case QNetworkInformation::Reachability::Local:
    case QNetworkInformation::Reachability::Site:
        break;
    }
    return 0;
}

quint32 Reachability::reachabilityFlags() const
{
    const QNetworkInformation *information = networkInformation();
    const auto state
        = information ? information->reachability() : QNetworkInformation::Reachability::Unknown;
    if (m_target == Target::LocalWiFi)
        return state == QNetworkInformation::Reachability::Disconnected ? 0
                                                                        : (Reachable | IsDirect);
    // The system tells the state of the connection, not of single hosts: a
    // host or an address is taken as reachable when the internet is.
    return flagsForNetworkReachability(state);
}

QString Reachability::currentReachabilityString() const
{
    switch (currentReachabilityStatus()) {
    case ReachableViaWiFi:
        return tr("WiFi");
    case ReachableViaWWAN:
        return tr("Cellular");
    case NotReachable:
        break;
    }
    return tr("No Connection");
}

QString Reachability::flagsString(quint32 flags)
{
    const auto letter
        = [flags](quint32 flag, char c) { return QLatin1Char((flags & flag) ? c : '-'); };
    return QString(QLatin1Char('X')) + letter(Reachable, 'R') + QLatin1Char(' ')
           + letter(ConnectionRequired, 'c') + letter(TransientConnection, 't')
           + letter(InterventionRequired, 'i') + letter(ConnectionOnTraffic, 'C')
           + letter(ConnectionOnDemand, 'D') + letter(IsLocalAddress, 'l') + letter(IsDirect, 'd');
}

QString Reachability::currentReachabilityFlags() const
{
    return flagsString(reachabilityFlags());
}

QString Reachability::description() const
{
    return QStringLiteral("<Reachability: 0x%1>").arg(quint32(quintptr(this)), 0, 16);
}

void Reachability::reachabilityChanged(quint32 flags)
{
    if (isReachableWithFlags(flags)) {
        if (m_reachableBlock)
            m_reachableBlock(this);
    } else if (m_unreachableBlock) {
        m_unreachableBlock(this);
    }
    // Observers always hear of the change on the main thread, after this
    // turn, and not at all when the monitor is gone by then.
    QPointer<Reachability> self(this);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [self] {
            if (self)
                NotificationCenter::defaultCenter().postNotificationName(
                    kReachabilityChangedNotification, self.data());
        },
        Qt::QueuedConnection);
}
