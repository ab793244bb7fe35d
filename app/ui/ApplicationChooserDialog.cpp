#include "app/ui/ApplicationChooserDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ui/FormParts.h"

namespace plovik::ui {

ApplicationChooserDialog::ApplicationChooserDialog(std::vector<InstalledApplication> applications,
                                                   QWidget* parent)
    : QDialog(parent), applications_(std::move(applications)) {
    setWindowTitle(QStringLiteral("Add an installed application"));
    resize(420, 460);
    search_ = new QLineEdit;
    search_->setPlaceholderText(QStringLiteral("Search"));
    // A placeholder is no name to a screen reader.
    search_->setAccessibleName(QStringLiteral("Search"));
    search_->setClearButtonEnabled(true);
    list_ = new QListWidget;
    for (std::size_t index = 0; index < applications_.size(); ++index) {
        const auto& application = applications_[index];
        auto* item = new QListWidgetItem;
        item->setData(Qt::UserRole, static_cast<qulonglong>(index));
        item->setData(Qt::AccessibleTextRole, QString::fromStdString(application.name));
        auto* row = new QWidget;
        auto* texts = new QVBoxLayout(row);
        texts->setContentsMargins(6, 3, 6, 3);
        texts->setSpacing(0);
        auto* identifier = new QLabel(QString::fromStdString(application.identifier));
        FormParts::setPointSizeDelta(identifier, -2);
        FormParts::setTextColor(identifier, SymbolIcons::secondary());
        texts->addWidget(new QLabel(QString::fromStdString(application.name)));
        texts->addWidget(identifier);
        item->setSizeHint(row->sizeHint());
        list_->addItem(item);
        list_->setItemWidget(item, row);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Add"));
    buttons->button(QDialogButtonBox::Ok)->setEnabled(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::currentItemChanged, this, [buttons](QListWidgetItem* item) {
        buttons->button(QDialogButtonBox::Ok)->setEnabled(item != nullptr && !item->isHidden());
    });
    connect(list_, &QListWidget::itemActivated, this, &QDialog::accept);
    connect(search_, &QLineEdit::textChanged, this, &ApplicationChooserDialog::filter);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(search_);
    layout->addWidget(list_, 1);
    layout->addWidget(buttons);
}

void ApplicationChooserDialog::filter(const QString& text) {
    for (int row = 0; row < list_->count(); ++row) {
        auto* item = list_->item(row);
        const auto index = item->data(Qt::UserRole).toULongLong();
        const auto& application = applications_[index];
        const bool matches =
            text.isEmpty() ||
            QString::fromStdString(application.name).contains(text, Qt::CaseInsensitive) ||
            QString::fromStdString(application.identifier).contains(text, Qt::CaseInsensitive);
        item->setHidden(!matches);
    }
    if (list_->currentItem() && list_->currentItem()->isHidden()) {
        list_->setCurrentItem(nullptr);
    }
}

std::optional<InstalledApplication> ApplicationChooserDialog::chosenApplication() const {
    const auto* item = list_->currentItem();
    if (!item || item->isHidden()) {
        return std::nullopt;
    }
    return applications_[item->data(Qt::UserRole).toULongLong()];
}

}  // namespace plovik::ui
