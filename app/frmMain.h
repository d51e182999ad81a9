#pragma once

#include "CatalogueModel.h"

#include "host/forms/Form.h"

namespace host {
class Image;
class Label;
class ListBox;
class MediaPlayer;
class TextBox;
} // namespace host
namespace button {
class PelroButton;
}
namespace download {
class FileDownloader;
}
namespace taskbar {
class OmbrelXPTaskBar;
}

namespace app {

class Forms;
class Listening;

// The working window: the catalogue list, the player and its Stop button, the catalogue
// update, and the Close and About hot spots.
class frmMain : public host::Form {
    Q_OBJECT
public:
    explicit frmMain(Forms& forms);

    // Plays the list's selected entry; any failure ends in "Check Internet Connection.".
    void PlaySelected();
    // Plays the selected title if there is one; nothing otherwise (a key, a click on the
    // strip's mark: no box over whatever the user does).
    void PlaySelectedIfAny();
    bool HasSelectedTitle() const;
    // Brought in by the keyboard or the media keys: the panel slides into view and stays
    // while it has the keyboard, which goes to the list.
    void BringIntoView();

    // What the list shows and the player plays: one row per entry.
    CatalogueModel& Catalogue() { return m_catalogue; }
    const CatalogueModel& Catalogue() const { return m_catalogue; }

    button::PelroButton* bbStop;
    button::PelroButton* bbUpdate;
    taskbar::OmbrelXPTaskBar* OmbrelXPTaskBar1;
    host::ListBox* rLista;
    download::FileDownloader* FileDownloader;
    host::TextBox* Text;
    host::MediaPlayer* wmpr;
    host::Image* Image1;
    host::Label* Label1;
    host::Image* Image2;
    host::Image* Image3;

signals:
    // The list was filled anew from the catalogue file (after an update).
    void catalogueReloaded();

protected:
    void Form_Load() override;
    void keyPressEvent(QKeyEvent* event) override;
    // The window manager's close (Alt+F4 where it handles it) ends the program as the
    // Close mark does, rather than leaving it running without a window.
    void closeEvent(QCloseEvent* event) override;
    // Tab walks list, Stop, Update, the Close mark and the About corner, and round again.
    bool focusNextPrevChild(bool next) override;

private:
    void MakeKeyboardFriendly();
    void LoadCatalogue();
    void ReloadCatalogue();
    void rLista_DblClick();
    void bbStop_Click();
    void Image1_Click();
    void Image2_Click();
    void bbUpdate_Click();
    void FileDownloader_DownloadErrors(const QString& strError);
    void FileDownloader_DowloadComplete();
    void FileDownloader_UpToDate();
    void updateEnded(const QString& message);
    // Runs a handler's steps; whatever fails ends the handler with the one message.
    template <class Steps>
    void Guarded(Steps&& steps);

    Forms& m_forms;
    CatalogueModel m_catalogue;
    Listening* m_listening; // a child
    friend class MediaControls; // plays and stops as the list and the Stop button do
};

} // namespace app
