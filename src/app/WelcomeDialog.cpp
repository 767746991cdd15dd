#include "WelcomeDialog.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "AppIcon.h"

namespace vantor::app {

WelcomeDialog::WelcomeDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("welcomeDialog"));
    setWindowTitle(QStringLiteral("Vantor"));
    setWindowIcon(AppIcon());

    auto* welcome = new QLabel(QStringLiteral("Welcome!"), this);
    QFont big = welcome->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    welcome->setFont(big);
    auto* first = new QLabel(
        QStringLiteral(
            "If you're seeing this message, that means it's the first time you've launched the program."),
        this);
    auto* second =
        new QLabel(QStringLiteral("Vantor needs to know where a few files are in order to work properly.  "
                                  "I'll take you to the settings window now."),
                   this);
    for (QLabel* label : {first, second}) label->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* next = buttons->addButton(QStringLiteral("Next >>>"), QDialogButtonBox::AcceptRole);
    next->setObjectName(QStringLiteral("nextButton"));
    next->setDefault(true);
    QPushButton* quit = buttons->addButton(QStringLiteral("Quit"), QDialogButtonBox::RejectRole);
    quit->setObjectName(QStringLiteral("quitButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(welcome);
    layout->addSpacing(8);
    layout->addWidget(first);
    layout->addWidget(second);
    layout->addSpacing(12);
    layout->addWidget(buttons);
    setFixedWidth(460);
}

}  // namespace vantor::app
