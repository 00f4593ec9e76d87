#include "engine/media/gst_filter_properties.h"

#include <cmath>

namespace tavimo {
namespace {

using Type = FilterProperty::Type;

Type TypeOf(GParamSpec* pspec) {
    GType type = G_PARAM_SPEC_VALUE_TYPE(pspec);
    if (type == G_TYPE_BOOLEAN)
        return Type::Bool;
    if (type == G_TYPE_INT)
        return Type::Int;
    if (type == G_TYPE_UINT)
        return Type::UInt;
    if (type == G_TYPE_INT64)
        return Type::Int64;
    if (type == G_TYPE_DOUBLE)
        return Type::Double;
    if (G_TYPE_IS_ENUM(type))
        return Type::Enum;
    if (type == G_TYPE_STRING)
        return Type::String;
    return Type::Other;
}

// Whether `pspec` may be set on `element` in the state it is in now. A
// property that an element reads only while it is stopped is shown, not
// offered, while it runs.
bool SettableNow(GstElement* element, GParamSpec* pspec) {
    if (!(pspec->flags & G_PARAM_WRITABLE) || (pspec->flags & G_PARAM_CONSTRUCT_ONLY))
        return false;
    // The name and parent of an element in a pipeline are the pipeline's.
    if (pspec->owner_type == GST_TYPE_OBJECT)
        return false;
    if (pspec->flags & GST_PARAM_MUTABLE_PLAYING)
        return true;
    GstState state = GST_STATE(element);
    if (pspec->flags & GST_PARAM_MUTABLE_PAUSED)
        return state <= GST_STATE_PAUSED;
    if (pspec->flags & GST_PARAM_MUTABLE_READY)
        return state <= GST_STATE_READY;
    return true;
}

std::string Text(const GValue* value, Type type) {
    switch (type) {
        case Type::Bool:
            return g_value_get_boolean(value) ? "true" : "false";
        case Type::Int:
            return std::to_string(g_value_get_int(value));
        case Type::UInt:
            return std::to_string(g_value_get_uint(value));
        case Type::Int64:
            return std::to_string(g_value_get_int64(value));
        case Type::Double: {
            char text[G_ASCII_DTOSTR_BUF_SIZE];
            return g_ascii_dtostr(text, sizeof text, g_value_get_double(value));
        }
        case Type::Enum: {
            GEnumValue* entry = g_enum_get_value(
                G_ENUM_CLASS(g_type_class_peek(G_VALUE_TYPE(value))), g_value_get_enum(value));
            return entry ? entry->value_nick : std::to_string(g_value_get_enum(value));
        }
        case Type::String: {
            const char* text = g_value_get_string(value);
            return text ? text : "";
        }
        case Type::Other:
            break;
    }
    // Caps, fractions and flags have a text form; objects and buffers only
    // their type's name (a sample would serialise a whole frame).
    GType gtype = G_VALUE_TYPE(value);
    if (gtype == GST_TYPE_CAPS || gtype == GST_TYPE_FRACTION || G_TYPE_IS_FLAGS(gtype) ||
        G_TYPE_IS_FUNDAMENTAL(gtype)) {
        if (gchar* text = gst_value_serialize(value)) {
            std::string out = text;
            g_free(text);
            return out;
        }
    }
    return std::string("(") + g_type_name(gtype) + ")";
}

// Parses `text` into `value` (initialised to the property's type); false
// when it is not a value of that type.
bool Parse(const std::string& text, Type type, GValue* value) {
    const char* s = text.c_str();
    switch (type) {
        case Type::Bool:
            if (text != "true" && text != "false")
                return false;
            g_value_set_boolean(value, text == "true");
            return true;
        case Type::Int:
        case Type::Int64: {
            gint64 number = 0;
            if (!g_ascii_string_to_signed(s, 10, G_MININT64, G_MAXINT64, &number, nullptr))
                return false;
            if (type == Type::Int) {
                if (number < G_MININT || number > G_MAXINT)
                    return false;
                g_value_set_int(value, gint(number));
            } else {
                g_value_set_int64(value, number);
            }
            return true;
        }
        case Type::UInt: {
            guint64 number = 0;
            if (!g_ascii_string_to_unsigned(s, 10, 0, G_MAXUINT, &number, nullptr))
                return false;
            g_value_set_uint(value, guint(number));
            return true;
        }
        case Type::Double: {
            char* end = nullptr;
            double number = g_ascii_strtod(s, &end);
            if (text.empty() || *end != '\0' || !std::isfinite(number))
                return false;
            g_value_set_double(value, number);
            return true;
        }
        case Type::Enum: {
            GEnumValue* entry =
                g_enum_get_value_by_nick(G_ENUM_CLASS(g_type_class_peek(G_VALUE_TYPE(value))), s);
            if (!entry)
                return false;
            g_value_set_enum(value, entry->value);
            return true;
        }
        case Type::String:
            g_value_set_string(value, s);
            return true;
        case Type::Other:
            break;
    }
    return false;
}

class ElementProperties : public IFilterProperties {
  public:
    explicit ElementProperties(GstElement* element)
        : element_(GST_ELEMENT(gst_object_ref(element))) {}
    ~ElementProperties() override { gst_object_unref(element_); }

    HRESULT GetProperties(std::vector<FilterProperty>* out) override {
        out->clear();
        guint count = 0;
        GParamSpec** pspecs = g_object_class_list_properties(G_OBJECT_GET_CLASS(element_), &count);
        for (guint i = 0; i < count; ++i) {
            GParamSpec* pspec = pspecs[i];
            if (!(pspec->flags & G_PARAM_READABLE))
                continue;
            FilterProperty property;
            property.name = pspec->name;
            const char* blurb = g_param_spec_get_blurb(pspec);
            property.description = blurb ? blurb : "";
            property.type = TypeOf(pspec);
            property.editable = property.type != Type::Other && SettableNow(element_, pspec);
            GValue value = G_VALUE_INIT;
            g_value_init(&value, G_PARAM_SPEC_VALUE_TYPE(pspec));
            g_object_get_property(G_OBJECT(element_), pspec->name, &value);
            property.value = Text(&value, property.type);
            g_value_unset(&value);
            if (property.type == Type::Enum) {
                GEnumClass* klass = G_PARAM_SPEC_ENUM(pspec)->enum_class;
                for (guint k = 0; k < klass->n_values; ++k)
                    property.choices.push_back(klass->values[k].value_nick);
            }
            out->push_back(std::move(property));
        }
        g_free(pspecs);
        return S_OK;
    }

    HRESULT CheckProperty(const std::string& name, const std::string& text) override {
        return Prepare(name, text, nullptr);
    }

    HRESULT SetProperty(const std::string& name, const std::string& text) override {
        GValue value = G_VALUE_INIT;
        HRESULT hr = Prepare(name, text, &value);
        if (SUCCEEDED(hr))
            g_object_set_property(G_OBJECT(element_), name.c_str(), &value);
        if (G_IS_VALUE(&value))
            g_value_unset(&value);
        return hr;
    }

  private:
    // The value `text` gives property `name`, into `out` when it is given.
    HRESULT Prepare(const std::string& name, const std::string& text, GValue* out) {
        GParamSpec* pspec =
            g_object_class_find_property(G_OBJECT_GET_CLASS(element_), name.c_str());
        if (!pspec)
            return E_INVALIDARG;
        Type type = TypeOf(pspec);
        if (type == Type::Other || !SettableNow(element_, pspec))
            return E_ACCESSDENIED;
        GValue value = G_VALUE_INIT;
        g_value_init(&value, G_PARAM_SPEC_VALUE_TYPE(pspec));
        // Out of the property's range: the validation would have to change it.
        bool fits = Parse(text, type, &value) && !g_param_value_validate(pspec, &value);
        if (fits && out)
            *out = value;
        else
            g_value_unset(&value);
        return fits ? S_OK : E_INVALIDARG;
    }

    GstElement* element_;
};

}  // namespace

std::shared_ptr<IFilterProperties> NewElementProperties(GstElement* element) {
    return std::make_shared<ElementProperties>(element);
}

}  // namespace tavimo
