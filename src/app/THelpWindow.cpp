#include "app/THelpWindow.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// Qt's rich text knows no <header>: the pages' title band (white text on
// teal) is read as the block it is, so that its colour shows.
class TGuideBrowser : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;

protected:
    QVariant loadResource(int type, const QUrl& name) override {
        QVariant resource = QTextBrowser::loadResource(type, name);
        if (type != QTextDocument::HtmlResource || resource.typeId() != QMetaType::QByteArray)
            return resource;
        QString html = QString::fromUtf8(resource.toByteArray()); // the guide and its pages are UTF-8
        html.replace(QLatin1String("<header"), QLatin1String("<div"));
        html.replace(QLatin1String("</header>"), QLatin1String("</div>"));
        return html;
    }
};

} // namespace

THelpWindow::THelpWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Aide d'Aevorium"));
    setModal(false);
    // Minimise and maximise as any document window.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);

    Browser = new TGuideBrowser(this);
    Browser->setObjectName(QStringLiteral("Browser"));
    Browser->setOpenExternalLinks(true);
    Browser->setAccessibleName(QStringLiteral("Aide"));

    BtnFermer = new QPushButton(QStringLiteral("Fermer"), this);
    BtnFermer->setDefault(true);
    connect(BtnFermer, &QPushButton::clicked, this, &QDialog::close);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnFermer);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Browser);
    layout->addLayout(buttons);
    resize(760, 600);
}

void THelpWindow::ShowGuide(const QString& path) {
    // Read again each time, so that a guide changed meanwhile shows as it is.
    Browser->setSource(QUrl());
    Browser->setSource(QUrl::fromLocalFile(path));
    show();
    raise();
    activateWindow();
}
