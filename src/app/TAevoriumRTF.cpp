#include "app/TAevoriumRTF.h"

#include "app/RtfReader.h"
#include "app/TApplication.h"
#include "timescale/AevError.h"
#include "widgets/TScrewPanel.h"

#include <QCoreApplication>
#include <QFile>
#include <QPushButton>
#include <QTextEdit>

namespace {
// A credits document is a few pages; anything far larger is not one.
constexpr qint64 kMaxDocumentBytes = 64 * 1024 * 1024;
} // namespace

TAevoriumRTF::TAevoriumRTF(QWidget* parent, const QString& folder)
    : QDialog(parent),
      m_folder(folder.isEmpty() ? QCoreApplication::applicationDirPath() + QLatin1Char('/') : folder) {
    setObjectName(QStringLiteral("AevoriumRTF"));
    setWindowTitle(QStringLiteral("Crédits"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(11);
    setFont(f);
    setFixedSize(317, 370);

    ScrewPanel1 = new TScrewPanel(this);
    ScrewPanel1->setObjectName(QStringLiteral("ScrewPanel1"));
    ScrewPanel1->setGeometry(0, 0, 317, 370);
    ScrewPanel1->SetBevelInner(bvRaised);
    ScrewPanel1->SetBevelOuter(bvSpace);
    ScrewPanel1->SetMargin(4);
    ScrewPanel1->SetScrewSize(4);
    ScrewPanel1->SetShowScrews(true);

    RichEdit1 = new QTextEdit(ScrewPanel1);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setGeometry(26, 24, 265, 289);
    RichEdit1->setReadOnly(true);
    RichEdit1->setTextInteractionFlags(Qt::NoTextInteraction);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    RichEdit1->setEnabled(false);
    // Disabled, yet drawn in its normal colours rather than greyed.
    QPalette pal = RichEdit1->palette();
    for (const QPalette::ColorRole role :
         {QPalette::Base, QPalette::Text, QPalette::Window, QPalette::WindowText})
        pal.setColor(QPalette::Disabled, role, pal.color(QPalette::Active, role));
    RichEdit1->setPalette(pal);

    Button1 = new QPushButton(QStringLiteral("OK"), ScrewPanel1);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(121, 329, 75, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);

    // A failure is reported and the dialog is kept, with an empty view.
    RunReported([this] { FormCreate(); });
}

void TAevoriumRTF::FormCreate() {
    LoadFile(m_folder + QStringLiteral("Credits.rtf"));
}

void TAevoriumRTF::LoadFile(const QString& path) {
    RichEdit1->clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EAevError(QStringLiteral("Impossible d'ouvrir le fichier %1").arg(path));
    if (file.size() > kMaxDocumentBytes)
        throw EAevError(QStringLiteral("Erreur au chargement du flux"));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EAevError(QStringLiteral("Erreur au chargement du flux"));
    if (ReadRtf(bytes, *RichEdit1->document()))
        return;
    // Not rich text: the same bytes as plain text.
    RichEdit1->setPlainText(DecodePlainText(bytes));
}
