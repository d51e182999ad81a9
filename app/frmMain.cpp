#include "frmMain.h"

#include "Catalogue.h"
#include "Forms.h"

#include "button/PelroButton.h"
#include "download/FileDownloader.h"
#include "host/Controls.h"
#include "host/MediaPlayer.h"
#include "host/Platform.h"
#include "host/RuntimeError.h"
#include "taskbar/OmbrelXPTaskBar.h"

namespace app {

namespace {

const QString CheckConnection = QStringLiteral("Check Internet Connection.");

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
      m_forms(forms)
{
    ApplyStackingAndTabOrder();
    connect(rLista, &host::ListBox::DblClick, this, &frmMain::rLista_DblClick);
    connect(rLista, &host::ListBox::EnterPressed, this, &frmMain::PlaySelected);
    connect(bbStop, &button::PelroButton::Click, this, &frmMain::bbStop_Click);
    connect(Image1, &host::Image::Click, this, &frmMain::Image1_Click);
    connect(Image2, &host::Image::Click, this, &frmMain::Image2_Click);
}

void frmMain::Form_Load() { LoadCatalogue(); }

void frmMain::LoadCatalogue()
{
    CatalogueUrls = QStringList{QString()};
    std::optional<Catalogue> catalogue = ReadCatalogue(host::AppPath() + QStringLiteral("/kelsor.dll"));
    if (!catalogue)
        return;
    CatalogueUrls = std::move(catalogue->urls);
    rLista->SetItems(catalogue->titles);
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
        if (index < 0 || index >= CatalogueUrls.size())
            throw host::RuntimeError(host::errors::SubscriptOutOfRange, "Subscript out of range");
        wmpr->setURL(CatalogueUrls[index]);
    });
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

} // namespace app
