// Order.h - generated from model.vyh; edit only the protected regions.
#pragma once
#include <string>

class Order {
public:
    long number() const { return number_; }
    void setNumber(long value) { number_ = value; }
    std::string customer() const { return customer_; }
    void setCustomer(std::string value) { customer_ = value; }
    double total() const { return total_; }
    void setTotal(double value) { total_ = value; }
    // %PROTECT Order_methods
    // Add your own methods here.
    // %ENDPROTECT

private:
    long number_;  // key
    std::string customer_;
    double total_;
};
