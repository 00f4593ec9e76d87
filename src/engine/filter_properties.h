// A filter's settings dialog: the properties of the element behind a filter,
// the writable ones of simple types editable and applied on OK.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QDialog>

#include "engine/filters_menu.h"
#include "engine/media/media.h"

class QWidget;

namespace tavimo {

class FilterPropertiesDialog : public QDialog {
  public:
    // Lists `properties` under the caption `title`. Nothing is applied once
    // `graph` is gone. UI thread.
    FilterPropertiesDialog(std::shared_ptr<IFilterProperties> properties, const std::string& title,
                           std::weak_ptr<IGraphBuilder> graph, QWidget* parent = nullptr);

    // The editor of property `name`: a QCheckBox, QComboBox or QLineEdit;
    // null for a read-only property and for an unknown name.
    QWidget* Editor(const std::string& name) const;
    // The widget showing `name` (its editor, or the label of a read-only one).
    QWidget* Field(const std::string& name) const;

    // OK: every changed value is checked first; when one does not fit,
    // nothing is applied, its field is marked and the dialog stays open.
    void accept() override;

  private:
    struct Row {
        FilterProperty property;
        QWidget* field;
        bool editable;
    };
    std::string EditedValue(const Row& row) const;
    bool Apply();

    std::shared_ptr<IFilterProperties> properties_;
    std::weak_ptr<IGraphBuilder> graph_;
    std::vector<Row> rows_;
};

// ShowFilterProperties: the modal settings dialog of the filter listed under
// `id`, captioned with its name. Nothing happens for an id without an entry,
// a filter whose graph is gone, or one without settings. Returns 0. UI thread.
int ShowFilterProperties(const FilterMenuTable& table, int id, QWidget* owner);

}  // namespace tavimo
