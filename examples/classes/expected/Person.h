// Person.h - generated from model.vyh; edit only the protected regions.
#pragma once
#include <string>

class Person {
public:
    int id() const { return id_; }
    void setId(int value) { id_ = value; }
    std::string name() const { return name_; }
    void setName(std::string value) { name_ = value; }
    int age() const { return age_; }
    void setAge(int value) { age_ = value; }
    // %PROTECT Person_methods
    // Add your own methods here.
    // %ENDPROTECT

private:
    int id_;  // key
    std::string name_;
    int age_;
};
