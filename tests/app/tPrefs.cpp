#include "app/cBookPrefs.h"
#include "app/cFormPlacement.h"
#include "app/cGatherixPrefs.h"
#include "app/cProxySettings.h"
#include "app/fFormPlacement.h"
#include "platform/SettingsStore.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QNetworkProxy>
#include <QScreen>
#include <QTemporaryDir>
#include <QVariant>
#include <QWidget>
#include <QtEndian>
#include <bit>
#include <cstdlib>
#include <functional>
#include <ostream>

static void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }
static void PrintTo(const QRect& r, std::ostream* os)
{
    *os << "QRect(" << r.x() << ", " << r.y() << ", " << r.width() << ", " << r.height() << ")";
}

namespace {

using TValueType = TSettingsStore::TValueType;
using TValues = std::vector<std::pair<QString, QVariant>>;

QString ProgramFolder() { return QCoreApplication::applicationDirPath() + "/"; }

TValues Values(const TBookPrefs& p)
{
    return {{"DataFolder", p.DataFolder},
            {"CurrentDatabase", p.CurrentDatabase},
            {"LastImageFolder", p.LastImageFolder},
            {"DetailsTemplate", p.DetailsTemplate},
            {"ImageBaseFolder", p.ImageBaseFolder},
            {"ShowLookupSortNames", p.ShowLookupSortNames},
            {"AutoIncrementIndex", p.AutoIncrementIndex},
            {"ConfirmItemRemoval", p.ConfirmItemRemoval},
            {"ConfirmItemCancel", p.ConfirmItemCancel},
            {"ShowInCollectionIndicator", p.ShowInCollectionIndicator},
            {"LookupHintShown", p.LookupHintShown},
            {"Proxy.Server", p.Proxy.Server},
            {"Proxy.Port", p.Proxy.Port},
            {"Proxy.UserID", p.Proxy.UserID},
            {"Proxy.Password", p.Proxy.Password},
            {"LastUpdateCheck", p.LastUpdateCheck},
            {"NrDaysBetweenUpdateChecks", p.NrDaysBetweenUpdateChecks},
            {"DefaultLoanPeriod", p.DefaultLoanPeriod},
            {"AffiliateUrl", p.AffiliateUrl},
            {"AffiliateName", p.AffiliateName},
            {"DoubleClickAction", p.DoubleClickAction}};
}

void ExpectValues(const TValues& actual, const TValues& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i) {
        EXPECT_EQ(actual[i].first, expected[i].first);
        EXPECT_EQ(actual[i].second, expected[i].second)
            << actual[i].first.toStdString() << ": " << actual[i].second.toString().toStdString()
            << " instead of " << expected[i].second.toString().toStdString();
    }
}

void Replace(TValues& values, const QString& name, const QVariant& value)
{
    for (auto& [n, v] : values)
        if (n == name)
            v = value;
}

QByteArray DoubleBytes(double value)
{
    QByteArray bytes(8, '\0');
    qToLittleEndian(std::bit_cast<quint64>(value), bytes.data());
    return bytes;
}

QVariant Read(const TSettingsStore& store, const QString& section, const QString& ident, TValueType type)
{
    switch (type) {
    case TValueType::String:
        return store.ReadString(section, ident, QString());
    case TValueType::Integer:
        return store.ReadInteger(section, ident, 0);
    case TValueType::Binary:
        return store.ReadBinary(section, ident);
    }
    return {};
}

// Preferences on a store file of their own; destroying them saves, as at the end of the program.
class PrefsTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;

    QString StorePath() const { return Dir.filePath("settings.reg"); }
    // What an earlier run or an older installation left in the store.
    void Stored(const std::function<void(TSettingsStore&)>& write)
    {
        TSettingsStore store(StorePath());
        write(store);
        ASSERT_TRUE(store.Save());
    }
    std::unique_ptr<TBookPrefs> Open() { return TPrefs::Create<TBookPrefs>(StorePath()); }
    std::unique_ptr<TSettingsStore> SaveAndReopenStore(std::unique_ptr<TBookPrefs> prefs)
    {
        prefs.reset();
        return std::make_unique<TSettingsStore>(StorePath());
    }
    QString ExistingFolder(const QString& name)
    {
        QDir(Dir.path()).mkpath(name);
        return Dir.filePath(name) + "/";
    }
};

// --- preferences ---

TEST_F(PrefsTest, FirstStartAndTheBuiltInObjectGiveTheDefaults)
{
    const QString data = ProgramFolder() + "Data/";
    const TValues defaults = {{"DataFolder", data},
                              {"CurrentDatabase", data + "demo.tmk"},
                              {"LastImageFolder", data + "Images/"},
                              {"DetailsTemplate", ProgramFolder() + "Templates/details.xsl"},
                              {"ImageBaseFolder", data + "Images/"},
                              {"ShowLookupSortNames", false},
                              {"AutoIncrementIndex", true},
                              {"ConfirmItemRemoval", true},
                              {"ConfirmItemCancel", true},
                              {"ShowInCollectionIndicator", true},
                              {"LookupHintShown", false},
                              {"Proxy.Server", QString()},
                              {"Proxy.Port", QString()},
                              {"Proxy.UserID", QString()},
                              {"Proxy.Password", QString()},
                              {"LastUpdateCheck", 0.0},
                              {"NrDaysBetweenUpdateChecks", 7},
                              {"DefaultLoanPeriod", 21},
                              {"AffiliateUrl", QString()},
                              {"AffiliateName", QString()},
                              {"DoubleClickAction", 0}};
    {
        SCOPED_TRACE("first start");
        ExpectValues(Values(*Open()), defaults);
    }
    {
        SCOPED_TRACE("nothing installed");
        const auto* builtIn = dynamic_cast<const TBookPrefs*>(&Prefs());
        ASSERT_NE(builtIn, nullptr);
        ExpectValues(Values(*builtIn), defaults);
        EXPECT_NE(Prefs().Settings().FilePath(), TSettingsStore::DefaultPath());
    }
}

TEST_F(PrefsTest, EveryPreferenceIsStoredWithItsTypeAndReadBack)
{
    Stored([](TSettingsStore& s) {
        s.WriteString("Folders", "App", "/where/it/ran/before/");
        s.WriteString("Version info", "Version", "0.0.1");
        s.WriteString("Affiliates", "AffiliateUrl", "https://partner.example/");
        s.WriteString("Affiliates", "AffiliateName", "Partner");
    });
    const QString data = ExistingFolder("Books");
    const QString images = ExistingFolder("Covers");
    auto prefs = Open();
    prefs->DataFolder = data;
    prefs->CurrentDatabase = data + "mine.tmk";
    prefs->LastImageFolder = "/somewhere/else/";
    prefs->DetailsTemplate = "/templates/mine.xsl";
    prefs->ImageBaseFolder = images;
    prefs->ShowLookupSortNames = true;
    prefs->AutoIncrementIndex = false;
    prefs->ConfirmItemRemoval = false;
    prefs->ConfirmItemCancel = false;
    prefs->ShowInCollectionIndicator = false;
    prefs->LookupHintShown = true;
    prefs->Proxy = {"proxy.example", "3128", "me", "se cret"};
    prefs->LastUpdateCheck = 45000.75;
    prefs->NrDaysBetweenUpdateChecks = -1;
    prefs->DefaultLoanPeriod = 30;
    prefs->AffiliateUrl = "https://changed.example/";
    prefs->DoubleClickAction = 2;
    TValues expected = Values(*prefs);
    Replace(expected, "LastImageFolder", images);  // where picture dialogs start is not kept
    Replace(expected, "AffiliateUrl",
            QString("https://partner.example/"));  // the partner's are never written

    const auto store = SaveAndReopenStore(std::move(prefs));
    const struct {
        const char* section;
        const char* ident;
        TValueType type;
        QVariant value;
    } stored[] = {
        {"Folders", "Data", TValueType::String, data},
        {"Folders", "App", TValueType::String, ProgramFolder()},
        {"Databases", "CurrentDatabase", TValueType::String, data + "mine.tmk"},
        {"Settings", "ImageBaseFolder", TValueType::String, images},
        {"Settings", "ShowLookupSortNames", TValueType::String, "1"},
        {"Settings", "AutoIncrementIndex", TValueType::String, "0"},
        {"Settings", "ConfirmItemRemoval", TValueType::String, "0"},
        {"Settings", "ConfirmItemCancel", TValueType::String, "0"},
        {"Settings", "ShowInCollectionIndicator", TValueType::String, "0"},
        {"Settings", "Lookup Hint Shown", TValueType::String, "1"},
        {"Version info", "Version", TValueType::String, "0.1.0"},
        {"Settings", "LastUpdateCheck", TValueType::Binary, DoubleBytes(45000.75)},
        {"Settings", "NrDaysBetweenUpdateChecks", TValueType::Integer, -1},
        {"XSL", "Current XSL Details Template", TValueType::String, "/templates/mine.xsl"},
        {"Settings", "Default Loan Period", TValueType::Integer, 30},
        {"Settings", "Doubleclick", TValueType::Integer, 2},
        {"Proxy", "Server", TValueType::String, "proxy.example"},
        {"Proxy", "Port", TValueType::String, "3128"},
        {"Proxy", "UserID", TValueType::String, "me"},
        {"Proxy", "Password", TValueType::String, "se cret"},
        {"Affiliates", "AffiliateUrl", TValueType::String, "https://partner.example/"},
    };
    for (const auto& c : stored) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.ident);
        EXPECT_EQ(store->ValueType(c.section, c.ident), c.type);
        EXPECT_EQ(Read(*store, c.section, c.ident, c.type), c.value);
    }
    EXPECT_FALSE(store->ValueExists("Settings", "LastImageFolder"));

    ExpectValues(Values(*Open()), expected);
}

TEST_F(PrefsTest, AnIntegerStoredAsTextStaysText)
{
    const struct {
        const char* ident;
        qint32 TBookPrefs::*member;
    } cases[] = {
        {"NrDaysBetweenUpdateChecks", &TBookPrefs::NrDaysBetweenUpdateChecks},
        {"Default Loan Period", &TBookPrefs::DefaultLoanPeriod},
        {"Doubleclick", &TBookPrefs::DoubleClickAction},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ident);
        Stored([&](TSettingsStore& s) { s.WriteString("Settings", c.ident, "5"); });
        auto prefs = Open();
        EXPECT_EQ((*prefs).*c.member, 5);
        (*prefs).*c.member = 9;
        const auto store = SaveAndReopenStore(std::move(prefs));
        EXPECT_EQ(store->ValueType("Settings", c.ident), TValueType::String);
        EXPECT_EQ(store->ReadString("Settings", c.ident, QString()), "9");
    }
}

TEST_F(PrefsTest, StoredFoldersAreReadWithAFinalSeparator)
{
    const QString data = ExistingFolder("Books");
    const QString images = ExistingFolder("Covers");
    Stored([&](TSettingsStore& s) {
        s.WriteString("Folders", "Data", data.chopped(1));
        s.WriteString("Settings", "ImageBaseFolder", images.chopped(1));
    });
    const auto prefs = Open();
    EXPECT_EQ(prefs->DataFolder, data);
    EXPECT_EQ(prefs->CurrentDatabase, data + "demo.tmk");
    EXPECT_EQ(prefs->ImageBaseFolder, images);
    EXPECT_EQ(prefs->LastImageFolder, images);
}

// A folder on a drive that is not mounted at start: this run uses the folder below the program, but the
// user's folder is what the store keeps, unless the user picks another one meanwhile.
TEST_F(PrefsTest, AMissingFolderIsReplacedForThisRunOnly)
{
    const QString data = ProgramFolder() + "Data/";
    const QString unmounted = Dir.filePath("unmounted/Books/");
    const QString chosen = ExistingFolder("Chosen");
    const struct {
        const char* section;
        const char* ident;
        QString TBookPrefs::*member;
        QString fallback;
    } folders[] = {
        {"Folders", "Data", &TBookPrefs::DataFolder, data},
        {"Settings", "ImageBaseFolder", &TBookPrefs::ImageBaseFolder, data + "Images/"},
    };
    for (const auto& f : folders) {
        for (const bool changed : {false, true}) {
            SCOPED_TRACE(std::string(f.ident) + (changed ? ", changed during the run" : ", unchanged"));
            Stored([&](TSettingsStore& s) { s.WriteString(f.section, f.ident, unmounted); });
            auto prefs = Open();
            EXPECT_EQ((*prefs).*f.member, f.fallback);
            if (changed)
                (*prefs).*f.member = chosen;
            const auto store = SaveAndReopenStore(std::move(prefs));
            EXPECT_EQ(store->ReadString(f.section, f.ident, QString()), changed ? chosen : unmounted);
        }
    }
}

TEST(ProxySettings, PortAndCredentialsAreOnlyReadWithAServer)
{
    const struct {
        const char* storedServer;
        const char* storedPort;  // nullptr: absent
        QStringList expected;    // server, port, user, password
    } cases[] = {
        {"", "3128", {"", "", "", ""}},
        {"proxy.example", nullptr, {"proxy.example", "8080", "me", "pw"}},
        {"proxy.example", "3128", {"proxy.example", "3128", "me", "pw"}},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.storedServer);
        TSettingsStore store(dir.filePath("proxy.reg"));
        store.WriteString("Proxy", "Server", c.storedServer);
        if (c.storedPort)
            store.WriteString("Proxy", "Port", c.storedPort);
        else
            store.DeleteValue("Proxy", "Port");
        store.WriteString("Proxy", "UserID", "me");
        store.WriteString("Proxy", "Password", "pw");
        TProxySettings proxy;
        proxy.Load(store);
        EXPECT_EQ(QStringList({proxy.Server, proxy.Port, proxy.UserID, proxy.Password}), c.expected);
    }
}

TEST(ProxySettings, ApplyToSetsTheProxyOnlyWithAServer)
{
    const struct {
        TProxySettings settings;
        QNetworkProxy::ProxyType typeBefore;
        QNetworkProxy::ProxyType type;
        const char* host;
        quint16 port;
        const char* user;
    } cases[] = {
        {{"", "3128", "me", "pw"}, QNetworkProxy::NoProxy, QNetworkProxy::NoProxy, "untouched", 1, ""},
        {{"proxy.example", "3128", "me", "pw"},
         QNetworkProxy::DefaultProxy,
         QNetworkProxy::HttpProxy,
         "proxy.example",
         3128,
         "me"},
        {{"proxy.example", "eighty", "me", "pw"},
         QNetworkProxy::NoProxy,
         QNetworkProxy::HttpProxy,
         "proxy.example",
         8080,
         "me"},
        {{"proxy.example", "", "me", "pw"},
         QNetworkProxy::NoProxy,
         QNetworkProxy::HttpProxy,
         "proxy.example",
         8080,
         "me"},
        {{"socks.example", "1080", "", ""},
         QNetworkProxy::Socks5Proxy,
         QNetworkProxy::Socks5Proxy,
         "socks.example",
         1080,
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.host);
        QNetworkProxy proxy(c.typeBefore, "untouched", 1);
        c.settings.ApplyTo(proxy);
        EXPECT_EQ(proxy.type(), c.type);
        EXPECT_EQ(proxy.hostName(), c.host);
        EXPECT_EQ(proxy.port(), c.port);
        EXPECT_EQ(proxy.user(), c.user);
        EXPECT_EQ(proxy.password(), c.settings.Server.isEmpty() ? "" : c.settings.Password);
    }
}

// --- window placement ---

TWindowPlacement Placement(const QRect& normal, quint32 showCmd = TWindowPlacement::ShowNormal)
{
    TWindowPlacement placement;
    placement.ShowCmd = showCmd;
    placement.NormalPosition = normal;
    return placement;
}

TEST(WindowPlacementRecord, HasTheWindowsLayoutAndReadsBack)
{
    TWindowPlacement placement = Placement(QRect(10, 20, 300, 200), TWindowPlacement::ShowMaximized);
    placement.Flags = 2;
    placement.MinPosition = QPoint(-32000, -32000);
    const QByteArray bytes = placement.Encode();
    EXPECT_EQ(bytes.toHex(' '),
              "2c 00 00 00 02 00 00 00 03 00 00 00 00 83 ff ff 00 83 ff ff ff ff ff ff ff ff ff "
              "ff 0a 00 00 00 14 00 00 00 36 01 00 00 dc 00 00 00");
    EXPECT_EQ(TWindowPlacement::Decode(bytes), placement);
}

TEST(WindowPlacementRecord, DamagedRecordsAreRefused)
{
    const QByteArray good = Placement(QRect(10, 20, 300, 200)).Encode();
    QByteArray wrongLength = good;
    wrongLength[0] = 40;
    QByteArray farAway = good;
    qToLittleEndian<qint32>(0x7FFFFFF0, farAway.data() + 36);
    for (const QByteArray& bytes : {QByteArray(), good.left(43), good + '\0', wrongLength, farAway}) {
        SCOPED_TRACE(bytes.toHex(' ').toStdString());
        EXPECT_FALSE(TWindowPlacement::Decode(bytes));
    }
}

const QRect Primary(0, 0, 1920, 1080);
const QRect Secondary(1920, 0, 1280, 1024);

TEST(FormPlacement, AStoredPlacementIsVisibleWhenAllFourCornersAreOnAMonitor)
{
    const struct {
        const char* what;
        TWindowPlacement placement;
        QList<QRect> monitors;
        bool visible;
    } cases[] = {
        {"inside", Placement(QRect(100, 100, 800, 600)), {Primary}, true},
        {"from the origin", Placement(QRect(0, 0, 800, 600)), {Primary}, true},
        {"left of the origin", Placement(QRect(-1, 0, 800, 600)), {Primary}, false},
        {"right edge one before the last column", Placement(QRect(100, 100, 1818, 600)), {Primary}, true},
        {"right edge on the last column", Placement(QRect(100, 100, 1819, 600)), {Primary}, false},
        {"bottom edge on the last row", Placement(QRect(100, 100, 800, 979)), {Primary}, false},
        {"across two monitors", Placement(QRect(1500, 100, 800, 600)), {Primary, Secondary}, true},
        {"across two, second detached", Placement(QRect(1500, 100, 800, 600)), {Primary}, false},
        {"on the detached second monitor", Placement(QRect(2000, 100, 800, 600)), {Primary}, false},
        {"below the shorter monitor", Placement(QRect(1500, 900, 800, 150)), {Primary, Secondary}, false},
        {"maximised anywhere",
         Placement(QRect(5000, 5000, 800, 600), TWindowPlacement::ShowMaximized),
         {},
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(TFormPlacement::IsVisible(c.placement, c.monitors), c.visible);
    }
}

TEST(FormPlacement, CenterOverStaysOnTheScreen)
{
    const QSize form(401, 301);
    const struct {
        const char* what;
        std::optional<QRect> owner;
        QRect screen;
        QPoint expected;
    } cases[] = {
        {"no owner", std::nullopt, Primary, {759, 389}},
        {"over the owner", QRect(100, 100, 800, 600), Primary, {299, 249}},
        {"owner past the top left", QRect(-200, -100, 300, 200), Primary, {0, 0}},
        {"owner past the bottom right", QRect(1800, 1000, 400, 300), Primary, {1519, 779}},
        {"screen below a top panel", QRect(0, 0, 401, 301), QRect(0, 30, 1920, 1050), {0, 30}},
        {"form larger than the screen", QRect(0, 0, 100, 100), QRect(0, 0, 300, 200), {-101, -101}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(TFormPlacement::CenterOver(QRect(QPoint(5, 5), form), c.owner, c.screen),
                  QRect(c.expected, form));
    }
}

TEST(FormPlacement, RestoreTakesTheStoredPlacementOrCentres)
{
    const TWindowState resizable{"fmProbe", QRect(0, 0, 400, 300), false, true};
    TWindowState fixedSize = resizable;
    fixedSize.Normal.setSize(QSize(420, 310));
    fixedSize.Resizable = false;
    const QRect stored(100, 50, 640, 480);
    const struct {
        const char* what;
        std::optional<TWindowState> saved;  // nullopt: nothing stored
        TWindowState window;
        QRect expected;
        bool maximized;
    } cases[] = {
        {"nothing stored", std::nullopt, resizable, QRect(760, 390, 400, 300), false},
        {"stored", TWindowState{"fmProbe", stored, false, true}, resizable, stored, false},
        {"stored maximised", TWindowState{"fmProbe", stored, true, true}, resizable, stored, true},
        {"fixed size", TWindowState{"fmProbe", stored, false, true}, fixedSize, QRect(100, 50, 420, 310),
         false},
        {"on a detached monitor", TWindowState{"fmProbe", QRect(2000, 100, 640, 480), false, true}, resizable,
         QRect(760, 390, 400, 300), false},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TSettingsStore store(dir.filePath("placement.reg"));
        store.EraseSection("WindowPlacement");
        if (c.saved)
            TFormPlacement::SavePlacement(store, *c.saved);
        const TWindowState placed = TFormPlacement::RestorePlacement(store, c.window, {Primary}, Primary);
        EXPECT_EQ(placed.Normal, c.expected);
        EXPECT_EQ(placed.Maximized, c.maximized);
    }
}

TEST(FormPlacement, AStoredValueThatIsNoPlacementCentres)
{
    QTemporaryDir dir;
    TSettingsStore store(dir.filePath("placement.reg"));
    store.WriteBinary("WindowPlacement", "fmProbe", QByteArray(10, '\x7f'));
    const TWindowState window{"fmProbe", QRect(0, 0, 400, 300), false, true};
    EXPECT_EQ(TFormPlacement::RestorePlacement(store, window, {Primary}, Primary).Normal,
              QRect(760, 390, 400, 300));
}

// The widget side, on the offscreen platform's screen, with the program's preferences installed.
TEST_F(PrefsTest, FormsGetBackWhereTheyWere)
{
    auto prefs = Open();
    SetPrefs(prefs.get());
    QWidget form;
    form.setObjectName("fmProbe");
    form.setGeometry(50, 60, 300, 200);
    SavePlacement(&form);
    EXPECT_EQ(
        TWindowPlacement::Decode(prefs->Settings().ReadBinary("WindowPlacement", "fmProbe"))->NormalPosition,
        QRect(50, 60, 300, 200));

    form.setGeometry(0, 0, 100, 100);
    RestorePlacement(&form);
    EXPECT_EQ(form.geometry(), QRect(50, 60, 300, 200));

    form.setFixedSize(250, 150);
    RestorePlacement(&form);
    EXPECT_EQ(form.geometry(), QRect(50, 60, 250, 150));

    QWidget stranger;
    stranger.setObjectName("fmNeverSaved");
    stranger.resize(200, 100);
    RestorePlacement(&stranger);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect centred = stranger.geometry();
    EXPECT_EQ(centred.size(), QSize(200, 100));
    EXPECT_LE(std::abs((centred.left() - screen.left()) - (screen.right() - centred.right())), 1);
    EXPECT_LE(std::abs((centred.top() - screen.top()) - (screen.bottom() - centred.bottom())), 1);

    const TGatherixPrefs* installed = prefs.get();
    prefs.reset();
    EXPECT_NE(&Prefs(), installed);
}

}  // namespace
