#pragma once

// The document viewer: one guidance document in a large box, three web links, a local page of
// estimated WBGT, and "Back" to the window that opened it. While it is open, "Back" is the only
// way to close it, so the organiser always returns to the calculator; only the end of the
// desktop session may close it otherwise.

#include "ui/common/single_window.h"

#include <QWidget>

class QLineEdit;
class QPushButton;

namespace orvane::ui {

class RichTextBox;

class frmReadMeViewer : public QWidget {
    Q_OBJECT

public:
    // Shows the viewer (creating it if needed) with the document, from its beginning, with the
    // focus on "Back". The opening window stays open and usable.
    static frmReadMeViewer* OpenInViewer(const QString& storedName, const QString& locator);
    static frmReadMeViewer* instance();

    // The viewer's document box, whatever its design name says.
    RichTextBox* txtAirportHazards() const { return txtAirportHazards_; }
    // Hidden: the name of the window that opened the viewer, which "Back" returns to.
    QLineEdit* txtLocator() const { return txtLocator_; }
    bool holdsOpen() const { return blnHoldOpen_; }

    void cmdBackfromReadme_Click();
    void cmd_BOM_Click();
    void cmd_RIR_SA_Click();
    void cmd_Tarvix_Click();
    void cmdURL_Click(); // "Go to Web LInk": the local page of estimated WBGT
    void txtAirportHazards_Change();
    // The desktop session is ending: let it close the viewer like any other window.
    void sessionEnding();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Only Show() makes one, through the one-instance rule; a window built and shown any other
    // way would be a second one.
    frmReadMeViewer();
    friend class SingleWindow<frmReadMeViewer>;

    void OpenWebLink(const QString& address);

    RichTextBox* txtAirportHazards_ = nullptr;
    QLineEdit* txtLocator_ = nullptr;
    QPushButton* cmdBackfromReadme_ = nullptr;
    bool blnHoldOpen_ = false;
};

} // namespace orvane::ui
