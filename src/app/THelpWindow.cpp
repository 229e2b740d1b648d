#include "app/THelpWindow.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

THelpWindow::THelpWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Aide d'Aevorium"));
    setModal(false);
    // Minimise and maximise as any document window.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);

    Browser = new QTextBrowser(this);
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
