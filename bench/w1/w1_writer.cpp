// The W1 reference: a hand-written C++ program that writes the same classes.h
// as the generator script, from model.txt.  Usage: w1_writer MODEL OUT
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Field {
    std::string name, type;
    bool key = false;
};

struct Entity {
    std::string name;
    std::vector<Field> fields;
};

std::string upper(std::string s) {
    for (char &c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::cerr << "usage: w1_writer MODEL OUT\n";
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::cerr << argv[1] << ": cannot open\n";
        return 1;
    }
    std::vector<Entity> entities;
    std::string kind;
    while (in >> kind) {
        if (kind == "E") {
            Entity e;
            size_t n;
            in >> e.name >> n;
            entities.push_back(std::move(e));
        } else {
            Field f;
            int key;
            in >> f.name >> f.type >> key;
            f.key = key != 0;
            entities.back().fields.push_back(std::move(f));
        }
    }

    std::string o;
    o.reserve(entities.size() * 2400);
    const char *nl = "\r\n";
    o += "// classes.h - " + std::to_string(entities.size()) + " entity classes generated from the model.\r\n";
    o += "#pragma once\r\n#include <string>\r\n\r\n";
    for (const Entity &e : entities) {
        std::string params, inits, eq;
        for (const Field &f : e.fields) {
            if (!f.key) continue;
            if (!params.empty()) {
                params += ", ";
                inits += ", ";
                eq += " && ";
            }
            params += f.type + " " + f.name;
            inits += f.name + "_(" + f.name + ")";
            eq += f.name + "_ == other." + f.name + "_";
        }
        o += "// ---------------------------------------------------------------------------\r\n";
        o += "// " + e.name + ": " + std::to_string(e.fields.size()) + " fields, table T_" + upper(e.name) +
             ", prefix " + e.name.substr(0, 3) + nl;
        o += "// Generated from the model: do not edit.\r\n";
        o += "// ---------------------------------------------------------------------------\r\n";
        o += "class " + e.name + " {\r\npublic:\r\n";
        o += "    " + e.name + "() = default;\r\n";
        o += "    explicit " + e.name + "(" + params + ")\r\n";
        o += "        : " + inits + " {}\r\n\r\n";
        for (const Field &f : e.fields) {
            std::string setter = "set" + upper(f.name.substr(0, 1)) + f.name.substr(1);
            if (f.type == "std::string") {
                o += "    const std::string &" + f.name + "() const { return " + f.name + "_; }\r\n";
                o += "    void " + setter + "(const std::string &value) { " + f.name + "_ = value; }\r\n";
            } else {
                o += "    " + f.type + " " + f.name + "() const { return " + f.name + "_; }\r\n";
                o += "    void " + setter + "(" + f.type + " value) { " + f.name + "_ = value; }\r\n";
            }
        }
        o += "\r\n    bool operator==(const " + e.name + " &other) const {\r\n";
        o += "        return " + eq + ";\r\n    }\r\n";
        o += "    bool operator!=(const " + e.name + " &other) const { return !(*this == other); }\r\n";
        o += "\r\nprivate:\r\n";
        for (const Field &f : e.fields) {
            if (f.type == "int" || f.type == "long")
                o += "    " + f.type + " " + f.name + "_ = 0;\r\n";
            else if (f.type == "double")
                o += "    double " + f.name + "_ = 0.0;\r\n";
            else if (f.type == "bool")
                o += "    bool " + f.name + "_ = false;\r\n";
            else
                o += "    " + f.type + " " + f.name + "_;\r\n";
        }
        o += "};\r\n\r\n";
    }
    std::FILE *out = std::fopen(argv[2], "wb");
    if (out == nullptr || std::fwrite(o.data(), 1, o.size(), out) != o.size() || std::fclose(out) != 0) {
        std::cerr << argv[2] << ": cannot write\n";
        return 1;
    }
    return 0;
}
