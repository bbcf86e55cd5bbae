#include "gui/diagnostics/unit_type_form.h"

#include "gui/widgets/window_sizes.h"

#include "core/diagnostics/unit_type.h"

#include <QApplication>
#include <QCheckBox>
#include <QFont>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>

namespace tarvin {

TUnitTypeForm::TUnitTypeForm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("UnitTypeForm"));
    setWindowTitle(QStringLiteral("Set Unit Type"));
    resize(280, 150);
    m_beep = [] { QApplication::beep(); };

    Label1 = new QLabel(QStringLiteral("Unit Type"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(12, 14, 60, 17);
    UnitTypeEdit = new QLineEdit(this);
    UnitTypeEdit->setObjectName(QStringLiteral("UnitTypeEdit"));
    UnitTypeEdit->setGeometry(80, 10, 70, 23);
    UnitTypeEdit->setMaxLength(static_cast<int>(kUnitTypeSuffixLength));
    // Pasted text obeys the same rule as typed keys.
    UnitTypeEdit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9A-Za-z]{0,4}")), UnitTypeEdit));
    UnitTypeEdit->installEventFilter(this);
    UnitTypeLabel = new QLabel(QLatin1String(kUnitTypePrefix), this);
    UnitTypeLabel->setObjectName(QStringLiteral("UnitTypeLabel"));
    UnitTypeLabel->setGeometry(164, 14, 100, 17);
    QFont bold = UnitTypeLabel->font();
    bold.setBold(true);
    UnitTypeLabel->setFont(bold);

    MultipleUnitsCheckBox = new QCheckBox(QStringLiteral("Program Multiple Units"), this);
    MultipleUnitsCheckBox->setObjectName(QStringLiteral("MultipleUnitsCheckBox"));
    MultipleUnitsCheckBox->setGeometry(12, 44, 256, 19);
    UpdateINICheckBox =
        new QCheckBox(QStringLiteral("Update Installation Software INI File"), this);
    UpdateINICheckBox->setObjectName(QStringLiteral("UpdateINICheckBox"));
    UpdateINICheckBox->setGeometry(12, 68, 256, 19);

    OKBitBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBitBtn->setObjectName(QStringLiteral("OKBitBtn"));
    OKBitBtn->setGeometry(12, 112, 80, 27);
    OKBitBtn->setDefault(true);
    CancelBitBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBitBtn->setObjectName(QStringLiteral("CancelBitBtn"));
    CancelBitBtn->setGeometry(100, 112, 80, 27);
    CancelBitBtn->setAutoDefault(false);
    HelpBitBtn = new QPushButton(QStringLiteral("&Help"), this);
    HelpBitBtn->setObjectName(QStringLiteral("HelpBitBtn"));
    HelpBitBtn->setGeometry(188, 112, 80, 27);
    HelpBitBtn->setAutoDefault(false);

    connect(UnitTypeEdit, &QLineEdit::textChanged, this, &TUnitTypeForm::UnitTypeEditChange);
    connect(OKBitBtn, &QPushButton::clicked, this, &TUnitTypeForm::OKBitBtnClick);
    connect(CancelBitBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpBitBtn, &QPushButton::clicked, this, [this] {
        if (m_help)
            m_help();
    });

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    MakeResizable(this);
}

void TUnitTypeForm::OKBitBtnClick()
{
    UnitTypeEdit->setText(QString::fromLatin1(
        PadUnitTypeText(UnitTypeEdit->text().toLatin1().toStdString()).c_str()));
    accept();
}

UnitTypeChoice TUnitTypeForm::choice() const
{
    return {UnitTypeEdit->text().toLatin1().toStdString(), MultipleUnitsCheckBox->isChecked(),
            UpdateINICheckBox->isChecked()};
}

void TUnitTypeForm::UnitTypeEditChange()
{
    UnitTypeLabel->setText(QLatin1String(kUnitTypePrefix) + UnitTypeEdit->text());
}

bool TUnitTypeForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == UnitTypeEdit && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        // Keys without text (arrows, Home...) move the cursor; Return and
        // Escape belong to the dialog's buttons.
        if (text.isEmpty() || key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Return ||
            key->key() == Qt::Key_Enter || key->key() == Qt::Key_Escape ||
            key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab ||
            key->key() == Qt::Key_Delete)
            return QDialog::eventFilter(watched, event);
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            return QDialog::eventFilter(watched, event); // shortcuts: copy, paste...
        const bool allowed = text.size() == 1 && text.at(0).unicode() < 0x80 &&
                             IsUnitTypeCharacter(static_cast<char>(text.at(0).unicode()));
        if (!allowed) {
            if (m_beep)
                m_beep();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TUnitTypeForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    UnitTypeEdit->setFocus();
}

} // namespace tarvin
