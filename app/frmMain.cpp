#include "frmMain.h"

#include "Catalogue.h"
#include "Forms.h"
#include "Listening.h"
#include "MediaControls.h"
#include "Module1.h"

#include "button/PelroButton.h"
#include "download/FileDownloader.h"
#include "host/forms/Controls.h"
#include "host/os/Desktop.h"
#include "host/os/GlobalShortcut.h"
#include "host/forms/MediaPlayer.h"
#include "host/os/Platform.h"
#include "host/os/RuntimeError.h"
#include "taskbar/OmbrelXPTaskBar.h"

#include <QCloseEvent>
#include <QDir>
#include <QKeyEvent>
#include <QPointer>

#include <algorithm>
#include <array>

namespace app {

namespace {

const QString CheckConnection = QStringLiteral("Check Internet Connection.");

// Spaces only, as the URL check wants; tabs and line ends count as text.
QString TrimSpaces(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == QLatin1Char(' '))
        ++first;
    while (last > first && text[last - 1] == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

template <class Control>
Control* placeControl(host::Form& form, const char* name)
{
    auto* control = new Control(&form, form.Design().PropertiesOf(QLatin1String(name)));
    control->setObjectName(QLatin1String(name));
    return control;
}

} // namespace

frmMain::frmMain(Forms& forms)
    : host::Form(QStringLiteral(":/forms/frmMain.form")),
      bbStop(placeControl<button::PelroButton>(*this, "bbStop")),
      bbUpdate(placeControl<button::PelroButton>(*this, "bbUpdate")),
      OmbrelXPTaskBar1(placeControl<taskbar::OmbrelXPTaskBar>(*this, "OmbrelXPTaskBar1")),
      rLista(placeControl<host::ListBox>(*this, "rLista")),
      FileDownloader(placeControl<download::FileDownloader>(*this, "FileDownloader")),
      Text(placeControl<host::TextBox>(*this, "Text")),
      wmpr(placeControl<host::MediaPlayer>(*this, "wmpr")),
      Image1(placeControl<host::Image>(*this, "Image1")),
      Label1(placeControl<host::Label>(*this, "Label1")),
      Image2(placeControl<host::Image>(*this, "Image2")),
      Image3(placeControl<host::Image>(*this, "Image3")),
      m_forms(forms),
      m_listening(new Listening(*this))
{
    ApplyStackingAndTabOrder();
    MakeKeyboardFriendly();
    rLista->setModel(&m_catalogue); // before anyone watches the list's selection
    rLista->setAccessibleName(tr("Catalogue"));
    connect(rLista, &host::ListBox::DblClick, this, &frmMain::rLista_DblClick);
    connect(rLista, &host::ListBox::EnterPressed, this, &frmMain::PlaySelectedIfAny);
    connect(bbStop, &button::PelroButton::Click, this, &frmMain::bbStop_Click);
    connect(Image1, &host::Image::Click, this, &frmMain::Image1_Click);
    connect(Image2, &host::Image::Click, this, &frmMain::Image2_Click);
    connect(bbUpdate, &button::PelroButton::Click, this, &frmMain::bbUpdate_Click);
    connect(FileDownloader, &download::FileDownloader::DownloadErrors, this, &frmMain::FileDownloader_DownloadErrors);
    connect(FileDownloader, &download::FileDownloader::DowloadComplete, this, &frmMain::FileDownloader_DowloadComplete);
    connect(FileDownloader, &download::FileDownloader::UpToDate, this, &frmMain::FileDownloader_UpToDate);
    connect(FileDownloader, &download::FileDownloader::DownloadProgress, this, [this](const QString& intPercent) {
        wmpr->setActivity(tr("Updating catalogue %1%").arg(intPercent));
    });
    // A download still running when the window goes ends with it.
    connect(this, &host::Form::unloaded, FileDownloader, &download::FileDownloader::Cancel);
    // The window is made once the splash is up, so the bus costs start-up nothing.
    new MediaControls(*this);
    // A key of the user's choosing brings the list from anywhere, where the desktop offers one.
    auto* showKey = new host::GlobalShortcut(QStringLiteral("show-catalogue"), tr("Show the catalogue"), this);
    connect(showKey, &host::GlobalShortcut::activated, this, [this] { m_forms.BringMainIntoView(); });
    showKey->Register(host::CurrentPlatform().SessionBusAddress());
}

void frmMain::MakeKeyboardFriendly()
{
    // The update address lies behind the list: keys meant for the list must never land there.
    Text->setFocusPolicy(Qt::NoFocus);
    Text->setReadOnly(true);
    Image1->MakeButton(tr("Close"));
    Image2->MakeButton(tr("About %1").arg(QStringLiteral("Vanu Pelro")));
    // The panel slides in under the pointer without being activated; its tips show all the same.
    setAttribute(Qt::WA_AlwaysShowToolTips);
}

void frmMain::BringIntoView()
{
    OmbrelXPTaskBar1->SlideIn();
    raise();
    rLista->setFocus(Qt::OtherFocusReason);
    host::TakeKeyboard(*this);
}

void frmMain::keyPressEvent(QKeyEvent* event)
{
    const QKeyCombination key = event->keyCombination();
    if (key == QKeyCombination(Qt::Key_Escape)) {
        OmbrelXPTaskBar1->SlideOut();
    } else if (key == QKeyCombination(Qt::ControlModifier, Qt::Key_Q)
               || key == QKeyCombination(Qt::AltModifier, Qt::Key_F4)) {
        Image1_Click();
    } else if (key == QKeyCombination(Qt::Key_F1)) {
        Image2_Click();
    } else {
        host::Form::keyPressEvent(event);
        return;
    }
    event->accept();
}

// Held apart from Qt's chain, which the hot spots and the compound controls' own children
// would otherwise reorder.
bool frmMain::focusNextPrevChild(bool next)
{
    const std::array<QWidget*, 5> chain{rLista, bbStop, bbUpdate, Image1, Image2};
    const auto count = std::ptrdiff_t(chain.size());
    const auto found = std::find(chain.begin(), chain.end(), focusWidget());
    // From outside the chain (the player strip), Tab starts at the list, Shift+Tab at the end.
    std::ptrdiff_t index = found != chain.end() ? found - chain.begin() : (next ? -1 : count);
    for (std::ptrdiff_t step = 0; step < count; ++step) {
        index = ((next ? index + 1 : index - 1) + count) % count;
        QWidget* candidate = chain[std::size_t(index)];
        if (candidate->isEnabled() && candidate->isVisibleTo(this)) {
            candidate->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return host::Form::focusNextPrevChild(next);
}

void frmMain::closeEvent(QCloseEvent* event)
{
    event->ignore();
    Image1_Click();
}

void frmMain::Form_Load()
{
    LoadCatalogue();
    for (const QString& place : CataloguePlaces())
        download::FileDownloader::RemoveAbandonedParts(place);
}

void frmMain::LoadCatalogue()
{
    std::optional<CatalogueEntries> catalogue = ReadCatalogue(CatalogueToRead());
    if (!catalogue) {
        m_catalogue.Clear();
        rLista->setPlaceholder(tr("The catalogue is missing. Update fetches it."));
        return;
    }
    m_catalogue.SetEntries(std::move(*catalogue));
}

// The selected title stays selected where the new catalogue still lists it.
void frmMain::ReloadCatalogue()
{
    std::optional<CatalogueEntries> catalogue = ReadCatalogue(CatalogueToRead());
    if (!catalogue)
        return;
    const int old = rLista->ListIndex();
    const bool hadSelection = m_catalogue.Contains(old);
    const CatalogueEntry selected{m_catalogue.Title(old), m_catalogue.Address(old)};
    rLista->setPlaceholder({});
    m_catalogue.SetEntries(std::move(*catalogue));
    const int found = hadSelection ? m_catalogue.RowOf(selected) : -1;
    if (found >= 0)
        rLista->setListIndex(found);
    emit catalogueReloaded();
}

template <class Steps>
void frmMain::Guarded(Steps&& steps)
{
    try {
        steps();
    } catch (const std::exception&) {
        host::MsgBox(CheckConnection, host::MessageIcon::Information);
    }
}

void frmMain::PlaySelected()
{
    Guarded([this] {
        wmpr->close();
        const int index = rLista->ListIndex();
        if (!m_catalogue.Contains(index))
            throw host::RuntimeError(host::errors::SubscriptOutOfRange, "Subscript out of range");
        const QString address = m_catalogue.Address(index);
        wmpr->setTitle(m_catalogue.Title(index));
        m_listening->BeforePlay(address);
        wmpr->setURL(address);
    });
}

bool frmMain::HasSelectedTitle() const { return m_catalogue.Contains(rLista->ListIndex()); }

void frmMain::PlaySelectedIfAny()
{
    if (HasSelectedTitle())
        PlaySelected();
}

void frmMain::rLista_DblClick() { PlaySelected(); }

void frmMain::bbStop_Click()
{
    Guarded([this] { wmpr->close(); });
}

void frmMain::Image1_Click()
{
    Guarded([this] { Unload(); });
}

void frmMain::Image2_Click()
{
    Guarded([this] { m_forms.ShowAbout(); });
}

// The caption is the update's state: only "Download" starts one; any other caption cancels.
void frmMain::bbUpdate_Click()
{
    Guarded([this] {
        if (bbUpdate->Caption() != QLatin1String("Download")) {
            FileDownloader->Cancel();
            Text->setEnabled(true);
            bbUpdate->setCaption(QStringLiteral("Download"));
            return;
        }
        const QString url = Text->Text();
        if (TrimSpaces(url).isEmpty())
            return;
        Text->setEnabled(false);
        bbUpdate->setCaption(QStringLiteral("Cancel"));
        const QString folder = CatalogueFolderToWrite();
        QDir().mkpath(folder);
        // Runs until the download ends, letting this window's handlers run meanwhile.
        const QPointer<frmMain> self(this);
        FileDownloader->DownloadFile(url, folder + QStringLiteral("\\") + Module1::PlainFileNameFromUrl(url));
        if (self)
            wmpr->setActivity({});
    });
}

void frmMain::FileDownloader_DownloadErrors(const QString& strError)
{
    wmpr->setActivity({});
    const QPointer<frmMain> self(this);
    host::MsgBox(strError, host::MessageIcon::Critical, QStringLiteral("Error"));
    if (!self)
        return; // closed while the box was up
    Text->setEnabled(true);
    bbUpdate->setCaption(QStringLiteral("Download"));
    FileDownloader->Cancel();
}

void frmMain::FileDownloader_DowloadComplete()
{
    ReloadCatalogue();
    updateEnded(QStringLiteral("Download complete"));
}

// The server said the catalogue has not changed since the last update: nothing was written.
void frmMain::FileDownloader_UpToDate() { updateEnded(QStringLiteral("The catalogue is up to date.")); }

void frmMain::updateEnded(const QString& message)
{
    wmpr->setActivity({});
    const QPointer<frmMain> self(this);
    host::MsgBox(message, host::MessageIcon::Information, QStringLiteral("Success"));
    if (!self)
        return;
    Text->setEnabled(true);
    bbUpdate->setCaption(QStringLiteral("Check Update"));
}

} // namespace app
