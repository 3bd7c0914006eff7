// Printing values through the engine's item, list and object functions.
#include "printvalue.h"

#include <vector>

namespace {

struct Frame {
    bool isObject;
    HVYRLIST list;
    HVYROBJECT object;
    int depth;
    bool started;
};

std::string indent(int depth) { return std::string(static_cast<size_t>(depth) * 2, ' '); }

// Prints the lines that open a value; lists and objects push a frame whose
// elements or members follow.
void openValue(HVYRITEM item, int depth, std::vector<Frame> *stack,
               const std::function<void(const std::string &)> &emit) {
    switch (VyrItemGetType(item)) {
    case VYRT_INTEGER: emit(indent(depth) + std::to_string(VyrItemGetNum(item))); break;
    case VYRT_STRING: {
        const char *text = VyrItemGetStr(item);
        emit(indent(depth) + (text ? text : ""));
        break;
    }
    case VYRT_LIST:
        emit(indent(depth) + "{");
        stack->push_back(Frame{false, VyrItemGetList(item), nullptr, depth, false});
        break;
    case VYRT_OBJECT: {
        HVYROBJECT object = VyrItemGetObj(item);
        const char *name = VyrGetObjectName(object);
        emit(indent(depth) + (name ? name : ""));
        emit(indent(depth) + "{");
        stack->push_back(Frame{true, nullptr, object, depth, false});
        break;
    }
    default: emit("[Unknown Item Type]"); break;
    }
}

}  // namespace

void printValue(HVYRITEM item, int depth, const std::function<void(const std::string &)> &emit) {
    std::vector<Frame> stack;
    openValue(item, depth, &stack, emit);
    while (!stack.empty()) {
        Frame frame = stack.back();
        stack.back().started = true;
        if (frame.isObject) {
            HVYRITEM member = frame.started ? VyrGetNextMember(frame.object) : VyrGetFirstMember(frame.object);
            if (member == nullptr) {
                emit(indent(frame.depth) + "}");
                stack.pop_back();
                continue;
            }
            const char *name = VyrGetMemberName(member);
            emit(indent(frame.depth + 1) + "[" + (name ? name : "") + "]");
            openValue(member, frame.depth + 2, &stack, emit);
        } else {
            HVYRITEM element = frame.started ? VyrListGetNextItem(frame.list) : VyrListGetFirstItem(frame.list);
            if (element == nullptr) {
                emit(indent(frame.depth) + "}");
                stack.pop_back();
                continue;
            }
            openValue(element, frame.depth + 1, &stack, emit);
        }
    }
}
