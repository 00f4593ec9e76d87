#include "engine/filter_properties.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QVBoxLayout>

namespace tavimo {
namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

using Type = FilterProperty::Type;

QWidget* MakeEditor(const FilterProperty& property, QWidget* parent) {
    switch (property.type) {
        case Type::Bool: {
            auto* box = new QCheckBox(parent);
            box->setChecked(property.value == "true");
            return box;
        }
        case Type::Enum: {
            auto* combo = new QComboBox(parent);
            for (const std::string& choice : property.choices)
                combo->addItem(Q(choice));
            combo->setCurrentText(Q(property.value));
            return combo;
        }
        case Type::Int:
        case Type::UInt:
        case Type::Int64:
        case Type::Double:
        case Type::String:
            return new QLineEdit(Q(property.value), parent);
        case Type::Other:
            break;
    }
    return nullptr;
}

}  // namespace

FilterPropertiesDialog::FilterPropertiesDialog(std::shared_ptr<IFilterProperties> properties,
                                               const std::string& title,
                                               std::weak_ptr<IGraphBuilder> graph, QWidget* parent)
    : QDialog(parent), properties_(std::move(properties)), graph_(std::move(graph)) {
    setWindowTitle(Q(title));
    setModal(true);
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    std::vector<FilterProperty> list;
    properties_->GetProperties(&list);
    for (FilterProperty& property : list) {
        QWidget* editor = property.editable ? MakeEditor(property, page) : nullptr;
        QWidget* field = editor;
        if (!field) {
            auto* label = new QLabel(Q(property.value), page);
            label->setTextFormat(Qt::PlainText);  // a value, never markup
            label->setTextInteractionFlags(Qt::TextSelectableByMouse);
            label->setWordWrap(true);
            label->setForegroundRole(QPalette::PlaceholderText);
            field = label;
        }
        auto* name = new QLabel(Q(property.name), page);
        name->setToolTip(Q(property.description));
        field->setToolTip(Q(property.description));
        form->addRow(name, field);
        rows_.push_back({std::move(property), field, editor != nullptr});
    }
    auto* scroll = new QScrollArea;
    scroll->setWidget(page);
    scroll->setWidgetResizable(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scroll);
    layout->addWidget(buttons);
    resize(480, 420);
}

QWidget* FilterPropertiesDialog::Field(const std::string& name) const {
    for (const Row& row : rows_)
        if (row.property.name == name)
            return row.field;
    return nullptr;
}

QWidget* FilterPropertiesDialog::Editor(const std::string& name) const {
    for (const Row& row : rows_)
        if (row.property.name == name)
            return row.editable ? row.field : nullptr;
    return nullptr;
}

std::string FilterPropertiesDialog::EditedValue(const Row& row) const {
    if (auto* box = qobject_cast<QCheckBox*>(row.field))
        return box->isChecked() ? "true" : "false";
    if (auto* combo = qobject_cast<QComboBox*>(row.field))
        return combo->currentText().toStdString();
    if (auto* edit = qobject_cast<QLineEdit*>(row.field))
        return edit->text().toStdString();
    return row.property.value;
}

bool FilterPropertiesDialog::Apply() {
    // The graph went while the dialog was open: the element is no longer played.
    if (graph_.expired())
        return true;
    std::vector<std::pair<const Row*, std::string>> changed;
    bool fits = true;
    for (const Row& row : rows_) {
        if (!row.editable)
            continue;
        std::string value = EditedValue(row);
        if (value == row.property.value)
            continue;
        bool ok = SUCCEEDED(properties_->CheckProperty(row.property.name, value));
        row.field->setStyleSheet(ok ? QString() : "background-color: #f4c7c3;");
        fits = fits && ok;
        changed.emplace_back(&row, std::move(value));
    }
    if (!fits)
        return false;
    for (const auto& [row, value] : changed)
        properties_->SetProperty(row->property.name, value);
    return true;
}

void FilterPropertiesDialog::accept() {
    if (Apply())
        QDialog::accept();
}

int ShowFilterProperties(const FilterMenuTable& table, int id, QWidget* owner) {
    std::shared_ptr<IBaseFilter> filter = table.Find(id);
    std::shared_ptr<IFilterProperties> properties;
    if (!filter || FAILED(filter->QueryFilterProperties(&properties)) || !properties)
        return 0;
    std::string name;
    filter->QueryFilterInfo(&name);
    FilterPropertiesDialog dialog(properties, name, table.Graph(), owner);
    dialog.exec();
    return 0;
}

}  // namespace tavimo
