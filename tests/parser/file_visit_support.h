#pragma once

// Parses whole unit, project and registry texts the way the loaders do and visits the top
// node, so the file-model tests read like the files users write.

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "parser/parse_chain.h"
#include "parser/rilk_visitor_impl.h"
#include "parser/throwing_error_listener.h"
#include "types/project_data.h"
#include "types/rilk_reg_data.h"
#include "types/unit.h"

/// One file text, parsed from its file rule; a syntax error fails with `std::logic_error`,
/// so a visit is only tried on a clean tree. The visitor is public so tests can inspect
/// its state after a visit.
class VisitFile {
  public:
    VisitFile(const std::string& text, RilkVisitorImpl::FileKind kind,
              const std::filesystem::path& base = "/base")
        : chain_(text, "t.txt"), visitor(base, "", kind) {
        chain_.useErrorListener(listener_);
    }

    std::unique_ptr<Rilk::Unit> unit() {
        auto* node = clean(chain_.unitFile())->rilkUnit();
        return std::unique_ptr<Rilk::Unit>(takeResult<Rilk::Unit*>(visitor.visitRilkUnit(node)));
    }
    Rilk::ProjectData project() {
        auto* node = clean(chain_.projFile())->rilkProject();
        return takeResult<Rilk::ProjectData>(visitor.visitRilkProject(node));
    }
    RilkRegData registry() {
        auto* node = clean(chain_.registryFile())->rilkRegistry();
        return takeResult<RilkRegData>(visitor.visitRilkRegistry(node));
    }

  private:
    template <typename Node>
    Node* clean(Node* node) {
        if (!listener_.messages().empty()) throw std::logic_error(listener_.messages().front());
        if (node == nullptr) throw std::logic_error("no tree");
        return node;
    }

    Rilk::ParseChain chain_;
    ThrowingErrorListener listener_{"t.txt"};

  public:
    RilkVisitorImpl visitor;
};

inline std::unique_ptr<Rilk::Unit> unitOf(const std::string& text) {
    return VisitFile(text, RilkVisitorImpl::Unit).unit();
}
inline Rilk::ProjectData projectOf(const std::string& text) {
    return VisitFile(text, RilkVisitorImpl::Project).project();
}
inline RilkRegData registryOf(const std::string& text, const std::filesystem::path& base) {
    return VisitFile(text, RilkVisitorImpl::Registry, base).registry();
}
