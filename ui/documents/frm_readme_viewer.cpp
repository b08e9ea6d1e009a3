#include "ui/documents/frm_readme_viewer.h"

#include "ui/common/fonts.h"
#include "ui/common/messages.h"
#include "ui/common/single_window.h"
#include "ui/common/units.h"
#include "ui/documents/documents.h"
#include "ui/documents/launcher.h"
#include "ui/documents/locators.h"
#include "ui/documents/rich_text_box.h"
#include "ui/documents/web_links.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace orvane::ui {

frmReadMeViewer* frmReadMeViewer::instance() {
    return SingleWindow<frmReadMeViewer>::instance();
}

frmReadMeViewer::frmReadMeViewer() {
    setObjectName("frmReadMeViewer");
    setWindowTitle("Readme Viewer");
    setWindowIcon(QIcon(":/orvane/icon-32.png"));
    setFont(msSansSerif(12, true));
    resize(twipsSize(9375, 5925));

    // Created before the document box, which covers all but its left strip.
    auto* url = new QPushButton("Go to Web LInk", this);
    url->setObjectName("cmdURL");
    url->setGeometry(twipsRect(0, 2400, 255, 420));
    url->setToolTip("Estimated Wet Bulb Globe Temperatures");

    txtAirportHazards_ = new RichTextBox(this);
    txtAirportHazards_->setObjectName("txtAirportHazards");
    txtAirportHazards_->setGeometry(twipsRect(240, 240, 8895, 5055));
    txtAirportHazards_->setAccessibleName("Document");
    txtAirportHazards_->setIndentOnChange(true);
    connect(txtAirportHazards_, &RichTextBox::Change, this,
            &frmReadMeViewer::txtAirportHazards_Change);
    connect(txtAirportHazards_, &RichTextBox::linkActivated, this, [this](const QUrl& link) {
        if (link.scheme() == u"http" || link.scheme() == u"https")
            OpenWebLink(link.toString());
    });

    cmdBackfromReadme_ = new QPushButton("Back", this);
    cmdBackfromReadme_->setObjectName("cmdBackfromReadme");
    cmdBackfromReadme_->setGeometry(twipsRect(7920, 5423, 1215, 375));

    txtLocator_ = new QLineEdit(this);
    txtLocator_->setObjectName("txtLocator");
    txtLocator_->setGeometry(twipsRect(0, 4440, 255, 345));
    txtLocator_->hide(); // written by the opener, read by "Back"; never seen

    const QFont linkFont = designFont("Verdana", 9.75, true);
    auto link = [&](const char* name, const QString& caption, QRect twips) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setFont(linkFont);
        b->setGeometry(twipsRect(twips));
        return b;
    };
    QPushButton* tarvix = link("cmd_Tarvix", "Tarvix", {1680, 5423, 975, 375});
    auto* goTo = new QLabel("Web Links:", this);
    goTo->setObjectName("lbl_Go_To");
    goTo->setGeometry(twipsRect(240, 5442, 1335, 375));
    goTo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPushButton* rir = link("cmd_RIR_SA", "RIR (SA)", {2800, 5423, 1935, 375});
    QPushButton* bom = link("cmd_BOM", "Bureau of Meteorology", {4880, 5423, 2895, 375});

    for (QPushButton* b : {cmdBackfromReadme_, url, tarvix, rir, bom})
        b->setAutoDefault(false);
    connect(cmdBackfromReadme_, &QPushButton::clicked, this,
            &frmReadMeViewer::cmdBackfromReadme_Click);
    connect(url, &QPushButton::clicked, this, &frmReadMeViewer::cmdURL_Click);
    connect(tarvix, &QPushButton::clicked, this, &frmReadMeViewer::cmd_Tarvix_Click);
    connect(rir, &QPushButton::clicked, this, &frmReadMeViewer::cmd_RIR_SA_Click);
    connect(bom, &QPushButton::clicked, this, &frmReadMeViewer::cmd_BOM_Click);

    setTabOrder(txtAirportHazards_, cmdBackfromReadme_);
    setTabOrder(cmdBackfromReadme_, url);
    setTabOrder(url, tarvix);
    setTabOrder(tarvix, rir);
    setTabOrder(rir, bom);

    // Form_Load: from now on only "Back" closes the viewer.
    blnHoldOpen_ = true;
    connect(qApp, &QGuiApplication::commitDataRequest, this, &frmReadMeViewer::sessionEnding);
}

frmReadMeViewer* frmReadMeViewer::OpenInViewer(const QString& storedName, const QString& locator) {
    frmReadMeViewer* viewer = SingleWindow<frmReadMeViewer>::show();
    viewer->txtLocator_->setText(locator);
    LoadDocument(viewer->txtAirportHazards_, storedName);
    viewer->cmdBackfromReadme_->setFocus();
    viewer->txtAirportHazards_->setFocus();
    viewer->txtAirportHazards_->setSelStart(0);
    viewer->txtAirportHazards_->setSelLength(0);
    viewer->txtAirportHazards_->setFocus();
    viewer->cmdBackfromReadme_->setFocus();
    return viewer;
}

void frmReadMeViewer::txtAirportHazards_Change() {
    // The box has indented every paragraph; the whole text stays selected until the opener
    // puts the caret back at the start.
    txtAirportHazards_->setSelStart(0);
    txtAirportHazards_->setSelLength(int(txtAirportHazards_->text().size()));
}

void frmReadMeViewer::closeEvent(QCloseEvent* event) {
    if (blnHoldOpen_)
        event->ignore(); // the title-bar close, Alt+F4, the window manager: refused
    else
        QWidget::closeEvent(event);
}

void frmReadMeViewer::sessionEnding() {
    blnHoldOpen_ = false;
}

void frmReadMeViewer::cmdBackfromReadme_Click() {
    blnHoldOpen_ = false;
    showLocated(txtLocator_->text());
    close();
}

void frmReadMeViewer::OpenWebLink(const QString& address) {
    if (!launcher().openUrl(QUrl(address)))
        showProblem(this, tr("The web page %1 cannot be opened: no web browser or desktop opener "
                             "(xdg-open) took it.")
                              .arg(address));
}

void frmReadMeViewer::cmd_BOM_Click() {
    OpenWebLink(web::kScheme + web::kBureauOfMeteorologyHost + web::kBureauOfMeteorologyPath);
}

void frmReadMeViewer::cmd_RIR_SA_Click() {
    OpenWebLink(web::kScheme + web::kRirSaHost + web::kRirSaPath);
}

void frmReadMeViewer::cmd_Tarvix_Click() {
    OpenWebLink(web::kScheme + web::kTarvixHost);
}

void frmReadMeViewer::cmdURL_Click() {
    const QString page = DocumentPath(documents::kWbgtPage);
    const QString shown = QDir::toNativeSeparators(page);
    auto report = [&](const QString& reason) {
        showProblem(this, tr("The page \"%1\" cannot be shown: %2.\n\n%3")
                              .arg(documents::kWbgtPage.mid(1), reason, shown));
    };
    if (!QFileInfo(page).isFile()) {
        report(tr("the file does not exist"));
        return;
    }
    QStringList command = browserCommand();
    if (command.isEmpty()) {
#ifdef Q_OS_WIN
        // No Internet Explorer: the default handler for web pages.
        if (!launcher().openUrl(QUrl::fromLocalFile(page)))
            report(tr("no program to show web pages was found"));
#else
        report(tr("no web browser or desktop opener (xdg-open) was found"));
#endif
        return;
    }
    const QString program = command.takeFirst();
    QString error;
    // The path is one argument of its own: blanks or quotes in the folder cannot split it.
    if (!launcher().startProgram(program, command << page, &error))
        report(tr("the web browser could not be started (%1)").arg(error));
}

} // namespace orvane::ui
