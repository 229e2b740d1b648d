#include "app/TChartDialog.h"

#include "timescale/DateText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStringListModel>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

TChartDialogHook& hook() {
    static TChartDialogHook h;
    return h;
}

// The papers in the list's order.
struct TPaperChoice {
    const char* Text;
    TChartOptions::TPaper Paper;
    bool Portrait;
};
const TPaperChoice Papers[] = {
    {"A4 paysage", TChartOptions::A4, false},
    {"A4 portrait", TChartOptions::A4, true},
    {"A3 paysage", TChartOptions::A3, false},
    {"A3 portrait", TChartOptions::A3, true},
    {"Bande : pages A4 à assembler", TChartOptions::Strip, false},
};

} // namespace

void SetChartDialogHook(TChartDialogHook h) {
    hook() = std::move(h);
}

bool RunChartDialog(TChartDialog& dialog) {
    if (hook()) {
        hook()(dialog);
        return dialog.result() == QDialog::Accepted;
    }
    return dialog.exec() == QDialog::Accepted;
}

TChartDialog::TChartDialog(const TChartScale& scale, QWidget* parent)
    : QDialog(parent), m_scale(scale), m_units(ChartNameTable(scale), TEventList()) {
    setObjectName(QStringLiteral("ChartDialog"));
    setWindowTitle(QStringLiteral("Frise chronologique"));

    // Intervalle: a unit by name, with the names offered as in "Aller à", or two dates.
    auto* interval = new QGroupBox(QStringLiteral("Intervalle"), this);
    ByUnit = new QRadioButton(QStringLiteral("&Unité :"), interval);
    ByUnit->setChecked(true);
    UnitEdit = new QLineEdit(QStringLiteral("Phanérozoïque"), interval);
    UnitEdit->setObjectName(QStringLiteral("UnitEdit"));
    UnitEdit->setAccessibleName(QStringLiteral("Unité"));
    UnitEdit->setMinimumWidth(260);
    auto* names = new QStringListModel(this);
    auto* completer = new QCompleter(names, this);
    completer->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    completer->setMaxVisibleItems(12);
    UnitEdit->setCompleter(completer);
    connect(UnitEdit, &QLineEdit::textEdited, this, [this, names, completer](const QString& text) {
        ByUnit->setChecked(true);
        names->setStringList(m_units.Completions(text));
        if (names->rowCount() > 0 && isVisible())
            completer->complete();
    });
    ByDates = new QRadioButton(QStringLiteral("&Dates (Ma) : de"), interval);
    FromEdit = new QLineEdit(QStringLiteral("-538,8"), interval);
    FromEdit->setAccessibleName(QStringLiteral("Date de début"));
    ToEdit = new QLineEdit(QStringLiteral("0"), interval);
    ToEdit->setAccessibleName(QStringLiteral("Date de fin"));
    for (QLineEdit* e : {FromEdit, ToEdit})
        connect(e, &QLineEdit::textEdited, this, [this] { ByDates->setChecked(true); });
    auto* grid = new QGridLayout(interval);
    grid->addWidget(ByUnit, 0, 0);
    grid->addWidget(UnitEdit, 0, 1, 1, 3);
    grid->addWidget(ByDates, 1, 0);
    grid->addWidget(FromEdit, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("à"), interval), 1, 2);
    grid->addWidget(ToEdit, 1, 3);

    auto* levels = new QGroupBox(QStringLiteral("Niveaux"), this);
    auto* levelRow = new QHBoxLayout(levels);
    for (int l = 0; l < ChartLevelCount; ++l) {
        LevelBoxes[l] = new QCheckBox(ChartLevelName(l), levels);
        LevelBoxes[l]->setChecked(true);
        levelRow->addWidget(LevelBoxes[l]);
    }

    EventsBox = new QCheckBox(QStringLiteral("ceux de la liste affichée, dans l'intervalle"), this);
    EventsBox->setChecked(true);
    ScaleBox = new QComboBox(this);
    ScaleBox->addItems(
        {QStringLiteral("linéaire"), QStringLiteral("une case par unité"), QStringLiteral("logarithmique")});
    PaperBox = new QComboBox(this);
    for (const TPaperChoice& p : Papers)
        PaperBox->addItem(QString::fromUtf8(p.Text));
    PagesBox = new QSpinBox(this);
    PagesBox->setRange(0, 30);
    PagesBox->setSpecialValueText(QStringLiteral("automatique"));
    PagesBox->setEnabled(false);
    connect(PaperBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this](int i) { PagesBox->setEnabled(Papers[i].Paper == TChartOptions::Strip); });
    FormatBox = new QComboBox(this);
    FormatBox->addItems({QStringLiteral("PDF"), QStringLiteral("SVG")});

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Événements :"), EventsBox);
    form->addRow(QStringLiteral("É&chelle :"), ScaleBox);
    form->addRow(QStringLiteral("&Papier :"), PaperBox);
    form->addRow(QStringLiteral("Pages de la bande :"), PagesBox);
    form->addRow(QStringLiteral("&Format :"), FormatBox);

    Note = new QLabel(this);
    Note->setObjectName(QStringLiteral("Note"));
    Note->setWordWrap(true);

    // Entrée accepts, also from the unit's field while its list of names shows.
    BtnOk = new QPushButton(QStringLiteral("Enregistrer…"), this);
    BtnOk->setDefault(true);
    BtnAnnuler = new QPushButton(QStringLiteral("Annuler"), this);
    BtnAnnuler->setAutoDefault(false);
    connect(BtnOk, &QPushButton::clicked, this, [this] { BtnOkClick(); });
    connect(BtnAnnuler, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnOk);
    buttons->addWidget(BtnAnnuler);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(interval);
    layout->addWidget(levels);
    layout->addLayout(form);
    layout->addWidget(Note);
    layout->addLayout(buttons);
}

bool TChartDialog::Svg() const {
    return FormatBox->currentIndex() == 1;
}

void TChartDialog::BtnOkClick() {
    TChartOptions o;
    if (ByUnit->isChecked()) {
        const auto unit = FindChartUnit(m_scale, UnitEdit->text());
        if (!unit) {
            Note->setText(
                UnitEdit->text().trimmed().isEmpty()
                    ? QStringLiteral("Tapez le nom d'une unité de l'échelle, par exemple Jurassique.")
                    : QStringLiteral("« %1 » n'est pas une unité de l'échelle.")
                          .arg(UnitEdit->text().trimmed()));
            return;
        }
        UnitEdit->setText(unit->Name);
        o.From = unit->From;
        o.To = unit->To;
        o.Title = ChartTitle(*unit);
        m_intervalName = unit->Name;
    } else {
        const auto from = ParseDateText(FromEdit->text()), to = ParseDateText(ToEdit->text());
        if (!from || !to || !std::isfinite(*from) || !std::isfinite(*to)) {
            Note->setText(QStringLiteral("Tapez deux dates en Ma, par exemple -300 et -250."));
            return;
        }
        // Within the scale's first date and the dials' end, oldest first.
        const double low =
            m_scale.Rows.isEmpty() ? LowestDate : std::min(LowestDate, m_scale.Rows.first().Start);
        o.From = std::clamp(std::min(*from, *to), low, HighestDate);
        o.To = std::clamp(std::max(*from, *to), low, HighestDate);
        if (o.To - o.From < 1e-6) {
            Note->setText(QStringLiteral("Les deux dates doivent être différentes."));
            return;
        }
        o.Title = ChartTitle({o.From, o.To, QString(), -1});
        m_intervalName = QStringLiteral("%1 à %2 Ma").arg(FormatTypedDate(o.From), FormatTypedDate(o.To));
    }
    bool any = false;
    for (int l = 0; l < ChartLevelCount; ++l) {
        o.Levels[l] = LevelBoxes[l]->isChecked();
        any = any || o.Levels[l];
    }
    if (!any) {
        Note->setText(QStringLiteral("Cochez au moins un niveau."));
        return;
    }
    o.ShowEvents = EventsBox->isChecked();
    o.Scale = TChartOptions::TScale(ScaleBox->currentIndex());
    const TPaperChoice& paper = Papers[PaperBox->currentIndex()];
    o.Paper = paper.Paper;
    o.Portrait = paper.Portrait;
    o.StripPages = PagesBox->value();
    m_options = o;
    Note->clear();
    accept();
}
