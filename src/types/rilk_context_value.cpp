#include "types/rilk_context_value.h"

#include "types/context.h"
#include "types/rilk_errors.h"
#include "types/rilk_list.h"
#include "types/rilk_string.h"
#include "types/value_cast.h"

namespace Rilk {

IRilkValueIterator& RilkContext::Iterator::increment() {
    ++position_;
    return *this;
}

RilkValuePtr RilkContext::Iterator::dereference() const {
    return makeString(position_->first.str());
}

bool RilkContext::Iterator::equals(const IRilkValueIterator& other) const {
    const auto* same = dynamic_cast<const Iterator*>(&other);
    if (!same) throw InternalError();
    return context_ == same->context_ && position_ == same->position_;
}

Context& RilkContext::nested() const {
    if (!context_) throw InternalError();
    return *context_;
}

const RilkContext& RilkContext::contextOperand(const RilkValue& other) const {
    const auto* context = valueCast<const RilkContext>(&other);
    if (!context) throw BadConversion(other.typeName(), other.toDisplayString(), typeName());
    return *context;
}

RilkValuePtr RilkContext::clone() const { return std::make_shared<RilkContext>(context_); }

namespace {

/// The name a plain or path string declares, or null for any other value.
const RilkString* declaredName(const RilkValue& other) {
    return valueCast<const RilkString>(&other);
}

Assignment declaration(const std::string& name) {
    return Assignment(name, nullptr, AssignType::Declare, AssignModifier::None);
}

}  // namespace

RilkValuePtr RilkContext::add(const RilkValue& other) const {
    if (const RilkString* name = declaredName(other)) {
        nested().addAssignment(declaration(name->toString()), kKeepModifier);
        auto result = std::make_shared<RilkContext>(context_);
        result->Resolvable::setResolver(resolver());
        return result;
    }
    const Context& source = nested();
    const Context& addition = contextOperand(other).nested();
    auto merged = std::make_shared<Context>(source);
    // The other operand's values are copied too, so that later changes of the result
    // reach neither operand.
    for (const auto& [key, stored] : addition.assignments) {
        Assignment copy = stored;
        copy.value = independentCopy(stored.value);
        merged->addAssignment(copy, kKeepModifier);
    }
    return std::make_shared<RilkContext>(merged);
}

void RilkContext::append(const RilkValue& other) {
    if (const RilkString* name = declaredName(other)) {
        nested().addAssignment(declaration(name->toString()), kKeepModifier);
        return;
    }
    const Context& addition = contextOperand(other).nested();
    if (&addition != &nested()) nested().addAssignments(addition);
}

RilkValuePtr RilkContext::get(const AccessKey& key) const {
    if (key.index() != kNameKey) {
        throw ValueError("A context value (holding " + toString() + ") cannot be indexed with " +
                         formatAccessKey(key) + "; name one of its variables instead.");
    }
    return nested().getVariable(std::get<kNameKey>(key));
}

std::string RilkContext::toString() const {
    std::string text;
    for (const auto& [name, stored] : nested().assignments) {
        if (!text.empty()) text += ' ';
        text += name.str();
    }
    return text;
}

std::unique_ptr<IRilkValueIterator> RilkContext::begin() const {
    return std::make_unique<Iterator>(context_, nested().assignments.cbegin());
}

std::unique_ptr<IRilkValueIterator> RilkContext::end() const {
    return std::make_unique<Iterator>(context_, nested().assignments.cend());
}

bool RilkContext::equals(const RilkValue& other) const {
    return context_ == contextOperand(other).context_;
}

bool RilkContext::greater(const RilkValue& other) const {
    return nested().assignments.size() > contextOperand(other).nested().assignments.size();
}

bool RilkContext::less(const RilkValue& other) const {
    return nested().assignments.size() < contextOperand(other).nested().assignments.size();
}

void RilkContext::setResolver(Resolver* resolver) {
    Resolvable::setResolver(resolver);
    if (!context_) return;
    for (auto& [name, stored] : context_->assignments) {
        if (auto* resolvable = asResolvable(stored.value.get())) {
            resolvable->setResolver(resolver);
        }
    }
}

RilkValuePtr RilkContext::resolve() {
    nested().resolveAll();
    return shared_from_this();
}

RilkValuePtr independentCopy(const RilkValuePtr& value) {
    if (!value) return nullptr;
    if (const auto* nested = valueCast<const RilkContext>(value.get())) {
        if (nested->context()) {
            return std::make_shared<RilkContext>(std::make_shared<Context>(*nested->context()));
        }
    }
    if (const auto* list = valueCast<const RilkList>(value.get())) {
        std::vector<RilkValuePtr> copies;
        copies.reserve(list->elements().size());
        for (const RilkValuePtr& element : list->elements()) {
            copies.push_back(independentCopy(element));
        }
        return std::make_shared<RilkList>(std::move(copies));
    }
    return value->clone();
}

}  // namespace Rilk
