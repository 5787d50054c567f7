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
    const ContextPtr& context = this->context();
    if (!context) throw InternalError();
    return *context;
}

std::shared_ptr<RilkContext> RilkContext::readOnlyView(ContextPtr context) {
    auto value = std::make_shared<RilkContext>(nullptr);
    value->view_ = std::make_shared<View>(View{std::move(context), true});
    return value;
}

const ContextPtr& RilkContext::contextForChange() const {
    if (!isReadOnly()) return context();
    if (view_->context) view_->context = std::make_shared<Context>(*view_->context);
    view_->readOnly = false;
    // The copy's values resolve where this value does, as those of a nested context bound
    // through `setResolver` would.
    if (resolver() != nullptr) const_cast<RilkContext*>(this)->setResolver(resolver());
    return view_->context;
}

Context& RilkContext::nestedForChange() const {
    contextForChange();
    return nested();
}

std::shared_ptr<RilkContext> RilkContext::sharing() const {
    auto value = std::make_shared<RilkContext>(context_);
    value->view_ = view_;
    return value;
}

const RilkContext& RilkContext::contextOperand(const RilkValue& other) const {
    const auto* context = valueCast<const RilkContext>(&other);
    if (!context) throw BadConversion(other.typeName(), other.toDisplayString(), typeName());
    return *context;
}

RilkValuePtr RilkContext::clone() const { return sharing(); }

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
        nestedForChange().addAssignment(declaration(name->toString()), kKeepModifier);
        auto result = sharing();
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
        nestedForChange().addAssignment(declaration(name->toString()), kKeepModifier);
        return;
    }
    const Context& addition = contextOperand(other).nested();
    if (&addition != &nested()) nestedForChange().addAssignments(addition);
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
    return std::make_unique<Iterator>(context(), nested().assignments.cbegin());
}

std::unique_ptr<IRilkValueIterator> RilkContext::end() const {
    return std::make_unique<Iterator>(context(), nested().assignments.cend());
}

bool RilkContext::equals(const RilkValue& other) const {
    // Separate read-only views stand for separate copies: the view, not the context, is
    // what they share with their clones.
    const RilkContext& operand = contextOperand(other);
    if (view_ || operand.view_) return view_ == operand.view_;
    return context_ == operand.context_;
}

bool RilkContext::greater(const RilkValue& other) const {
    return nested().assignments.size() > contextOperand(other).nested().assignments.size();
}

bool RilkContext::less(const RilkValue& other) const {
    return nested().assignments.size() < contextOperand(other).nested().assignments.size();
}

void RilkContext::setResolver(Resolver* resolver) {
    Resolvable::setResolver(resolver);
    // A read-only view's variables resolve to themselves: no resolver is ever asked.
    if (isReadOnly() || !context()) return;
    for (auto& [name, stored] : context()->assignments) {
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

namespace {

/// A value whose resolved form is itself, whatever resolves it and when: nothing to expand,
/// and no pattern to glob.
bool resolvesAlike(const RilkValue* value) {
    if (value == nullptr || value->kind() == ValueKind::Int) return true;
    if (value->kind() == ValueKind::String) {
        return static_cast<const RilkString*>(value)->isPlainText();
    }
    return value->kind() == ValueKind::PathString &&
           static_cast<const RilkString*>(value)->isLiteral();
}

}  // namespace

bool isReadOnlyShareable(const Context& context) {
    if (!context.conditions.empty()) return false;
    for (const auto& [name, stored] : context.assignments) {
        if (!stored.resolved || !resolvesAlike(stored.value.get())) return false;
    }
    return true;
}

void resolveSelfContained(Context& context) {
    for (const auto& [name, stored] : context.assignments) {
        if (!stored.resolved && !resolvesAlike(stored.value.get())) return;
    }
    for (auto& [name, stored] : context.assignments) context.resolveAssignment(stored);
}

}  // namespace Rilk
