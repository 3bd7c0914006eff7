// classes.h - ${len(entities)} entity classes generated from the model.
#pragma once
#include <string>

% for e in entities:
<% keys = [f for f in e['fields'] if f['key']] %>\
// ---------------------------------------------------------------------------
// ${e['name']}: ${len(e['fields'])} fields, table T_${e['name'].upper()}, prefix ${e['name'][:3]}
// Generated from the model: do not edit.
// ---------------------------------------------------------------------------
class ${e['name']} {
public:
    ${e['name']}() = default;
    explicit ${e['name']}(${', '.join(f['type'] + ' ' + f['name'] for f in keys)})
        : ${', '.join(f['name'] + '_(' + f['name'] + ')' for f in keys)} {}

% for f in e['fields']:
% if f['type'] == 'std::string':
    const std::string &${f['name']}() const { return ${f['name']}_; }
    void set${f['name'][:1].upper()}${f['name'][1:]}(const std::string &value) { ${f['name']}_ = value; }
% else:
    ${f['type']} ${f['name']}() const { return ${f['name']}_; }
    void set${f['name'][:1].upper()}${f['name'][1:]}(${f['type']} value) { ${f['name']}_ = value; }
% endif
% endfor

    bool operator==(const ${e['name']} &other) const {
        return ${' && '.join(f['name'] + '_ == other.' + f['name'] + '_' for f in keys)};
    }
    bool operator!=(const ${e['name']} &other) const { return !(*this == other); }

private:
% for f in e['fields']:
% if f['type'] in ('int', 'long'):
    ${f['type']} ${f['name']}_ = 0;
% elif f['type'] == 'double':
    double ${f['name']}_ = 0.0;
% elif f['type'] == 'bool':
    bool ${f['name']}_ = false;
% else:
    ${f['type']} ${f['name']}_;
% endif
% endfor
};

% endfor
