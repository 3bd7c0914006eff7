// Item files: the writer, the reader and the SAVEITEM/LOADITEM built-ins.
#include "values/itemfile.h"

#include <memory>
#include <string>

#include "core/symbols.h"
#include "core/textfile.h"
#include "platform/platform.h"
#include "types/registry.h"
#include "values/builtin_args.h"
#include "values/filefuncs.h"
#include "values/item.h"
#include "values/list.h"

namespace {

// ---- Writing --------------------------------------------------------------------

void put(VyrTextFile &f, const char *text) { f.writeString(text); }

// A quoted text: escaping is on only between the quotes.
void putQuoted(VyrTextFile &f, const VyrString &text) {
    put(f, "\"");
    f.setEscapeMode(true);
    f.writeChars(text.c_str(), text.length());
    f.setEscapeMode(false);
    put(f, "\"");
}

void putItem(VyrTextFile &f, const VyrItem &item) {
    put(f, "(");
    switch (item.type()) {
    case VyrItem::kInteger:
        put(f, "i:");
        f.writeNumber(item.num());
        break;
    case VyrItem::kString:
        put(f, "s:");
        putQuoted(f, *item.str());
        break;
    case VyrItem::kList: {
        const VyrList *list = item.list();
        put(f, "L:{");
        f.writeNumber(list->sel);
        // Elements are written as plain items: a name an element may carry
        // is not part of the list's value.  The walk leaves the list's
        // cursor alone.
        for (const VyrNode *n = list->first; n; n = n->next) {
            put(f, ",");
            putItem(f, *static_cast<const VyrItem *>(n));
        }
        put(f, "}");
        break;
    }
    case VyrItem::kObject: {
        const VyrObject *obj = item.obj();
        put(f, "O:(");
        putQuoted(f, obj->name);
        put(f, ":{");
        for (const VyrNode *n = obj->first; n; n = n->next) {
            const auto *member = static_cast<const VyrNamedItem *>(n);
            if (n != obj->first) put(f, ",");
            put(f, "(");
            putQuoted(f, member->name);
            put(f, ":");
            putItem(f, *member);
            put(f, ")");
        }
        put(f, "})");
        break;
    }
    default: break;  // no value: nothing between the brackets
    }
    if (item.regType() != nullptr) {
        put(f, ",");
        putQuoted(f, item.regType()->name);
    }
    put(f, ")");
}

// ---- Reading --------------------------------------------------------------------

class Reader {
public:
    explicit Reader(VyrTextFile &f) : f_(f) {}

    void item(VyrItem &it);

private:
    // The next structural character, consumed; 0 at the end of the data.
    char next() { return f_.hasByte() ? f_.readChar() : '\0'; }
    void quoted(VyrString &out);
    void value(char letter, VyrItem &it);
    void list(VyrList &list);
    void object(VyrObject &obj);
    bool member(VyrObject &obj);

    VyrTextFile &f_;
    int32_t depth_ = 0;
    bool stopped_ = false;  // the nesting limit was reached: read no more
};

// Reads the characters after an opening quote up to the first quote that
// is not escaped, which is consumed.  Texts of any length are read whole.
// A text cannot hold character code 0: such bytes are left out.
void Reader::quoted(VyrString &out) {
    std::string text;
    f_.setEscapeMode(true);
    while (f_.hasByte()) {
        if (f_.peekByte() == '"') {
            f_.readChar();
            break;
        }
        char c = f_.readChar();
        if (c != '\0') text += c;
    }
    f_.setEscapeMode(false);
    out = VyrString(text.c_str(), static_cast<int32_t>(text.size()));
}

void Reader::item(VyrItem &it) {
    if (stopped_ || next() != '(') return;  // not an item: left as it was
    char c = next();
    if (c == ')') {
        it.release();
        return;
    }
    if (c == ',') {
        it.release();
    } else {
        // c is the type letter; without the colon no value is read.
        if (next() == ':') value(c, it);
        if (stopped_) return;
        c = next();
    }
    // The registered type: a comma and its quoted name, then the closing
    // bracket; anything else (normally the bracket itself) means none.
    if (c == ',' && next() == '"') {
        VyrString name;
        quoted(name);
        it.setRegType(vyrFindRegType(name.c_str()));
        next();
    } else {
        it.setRegType(nullptr);
    }
}

void Reader::value(char letter, VyrItem &it) {
    switch (letter) {
    case 'i': it.setNum(f_.readNumber()); break;
    case 's':
        if (next() == '"') {
            VyrString text;
            quoted(text);
            it.setStr(std::move(text));
        }
        break;
    case 'L':
    case 'O':
        if (depth_ >= kVyrItemFileMaxDepth) {
            stopped_ = true;
            return;
        }
        ++depth_;
        if (letter == 'L') {
            it.setList(VyrList());
            list(*it.list());
        } else {
            it.setObj(VyrObject());
            object(*it.obj());
        }
        --depth_;
        break;
    default: break;  // an unknown letter sets nothing
    }
}

void Reader::list(VyrList &l) {
    if (next() != '{') return;
    l.sel = f_.readNumber();  // kept as stored, without a range check
    // Elements follow as long as a comma does; the character that ends the
    // loop (normally the closing brace) is consumed.
    while (!stopped_ && next() == ',') {
        auto *element = new VyrItem();
        l.appendNode(element);
        item(*element);
    }
}

void Reader::object(VyrObject &obj) {
    if (next() != '(' || next() != '"') return;
    quoted(obj.name);
    if (next() != ':' || next() != '{') return;
    if (f_.hasByte() && f_.peekByte() == '}') {
        next();
    } else {
        while (!stopped_ && member(obj) && next() == ',') {
        }
        if (stopped_) return;
    }
    next();  // the object's closing bracket
}

// One member: ("name":item).  Duplicate names are kept as they come.  False
// when the member is malformed, which ends the object.
bool Reader::member(VyrObject &obj) {
    if (next() != '(' || next() != '"') return false;
    VyrString name;
    quoted(name);
    if (next() != ':') return false;
    std::unique_ptr<VyrNamedItem> m(new VyrNamedItem(name.c_str()));
    item(*m);
    obj.addNode(m.release());
    return !stopped_ && next() == ')';
}

// The buffered file SAVEITEM writes, with its handle at hand to flush the
// data to the disk before the file takes the target's place.
class ItemFileWriter : public VyrTextFile {
public:
    plat::FileHandle handle() const { return handle_; }
};

// The directory part of a full path ("" when it has none).
std::string directoryOf(const std::string &path) {
    size_t cut = path.find_last_of("/\\");
    if (cut == std::string::npos) return std::string();
    return cut == 0 ? path.substr(0, 1) : path.substr(0, cut);
}

// Writes the item to a new file beside the target and moves it over the
// target only once every byte is on the disk, so a failed write (a full
// disk, an error of the device) leaves the previous item file as it was.
// A target that exists but may not be written stays untouched too.
bool saveItemFile(const char *name, const VyrItem &item) {
    const std::string target = plat::fullPath(name);
    if (target.empty() || plat::isDirectory(target.c_str())) return false;
    if (plat::fileExists(target.c_str())) {
        plat::FileHandle probe = plat::fileOpen(target.c_str(), plat::kOpenWrite);
        if (probe == plat::kNoFile) return false;
        plat::fileClose(probe);
    }
    std::string temp;
    plat::FileHandle created = plat::fileCreateUnique(directoryOf(target).c_str(), temp);
    if (created == plat::kNoFile) return false;
    plat::fileClose(created);

    ItemFileWriter file;
    bool ok = file.open(temp.c_str(), VyrFile::kWrite, kVyrScriptFileBuffer) != 0;
    if (ok) {
        ok = vyrWriteItem(file, item);
        // Most item files fit into one buffer, so the last flush is usually
        // the only write: its outcome counts too.
        file.flush();
        ok = ok && file.state() != 0 && plat::fileSync(file.handle());
    }
    file.close();
    ok = ok && plat::fileReplace(temp.c_str(), target.c_str());
    if (!ok) plat::fileDelete(temp.c_str());
    return ok;
}

}  // namespace

bool vyrWriteItem(VyrTextFile &file, const VyrItem &item) {
    putItem(file, item);
    return file.state() != 0;
}

void vyrReadItem(VyrTextFile &file, VyrItem &item) {
    bool escape = file.escapeMode();
    file.setEscapeMode(false);
    Reader(file).item(item);
    file.setEscapeMode(escape);
}

int32_t vyrFnSaveItem(VyrArgs *args, VyrItem *result) {
    VyrItem *nameItem = argAt(args, 0);
    VyrItem *item = argAt(args, 1);
    if (nameItem == nullptr || !nameItem->isString() || item == nullptr) return 0;
    result->setNum(saveItemFile(nameItem->str()->c_str(), *item) ? 1 : 0);
    return 1;
}

int32_t vyrFnLoadItem(VyrArgs *args, VyrItem *result) {
    VyrItem *nameItem = argAt(args, 0);
    if (nameItem == nullptr || !nameItem->isString()) return 0;
    VyrTextFile file;
    if (!file.open(nameItem->str()->c_str(), VyrFile::kRead, kVyrScriptFileBuffer)) return 0;
    VyrItem loaded;
    vyrReadItem(file, loaded);
    file.close();
    *result = std::move(loaded);
    return 1;
}
