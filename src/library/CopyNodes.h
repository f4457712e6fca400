#pragma once

#include "library/CopyRequest.h"
#include "library/FileCopier.h"

#include <memory>

class CopyWorker;

// The chain of small handlers a copy request runs through. Each node settles
// the request, fails it with an error, or passes it on to the next node.
// The nodes are tiny and only meaningful together, so they share this file.
class CopyNode
{
public:
    CopyNode(CopyWorker *worker, std::unique_ptr<CopyNode> next);
    virtual ~CopyNode();
    virtual FileCopier::Error handle(const CopyRequest &request);

protected:
    FileCopier::Error passOn(const CopyRequest &request);
    CopyWorker *worker() const { return m_worker; }

private:
    CopyWorker *m_worker;
    std::unique_ptr<CopyNode> m_next;
};

#define COPY_NODE(Name)                                                                            \
    class Name : public CopyNode                                                                   \
    {                                                                                              \
    public:                                                                                        \
        using CopyNode::CopyNode;                                                                  \
        FileCopier::Error handle(const CopyRequest &request) override;                             \
    };

COPY_NODE(CanceledNode)
COPY_NODE(SourceExistsNode)
COPY_NODE(SourceKindNode)
COPY_NODE(OverwriteNode)
COPY_NODE(MakeLinksNode)
COPY_NODE(FollowLinksNode)
COPY_NODE(RenameNode)
COPY_NODE(MoveNode)
COPY_NODE(CopyDirNode)
COPY_NODE(RewriteSubtitleNode)
COPY_NODE(CopyFileNode)

#undef COPY_NODE

namespace CopyNodes {

// Builds the chain for one request and runs it.
FileCopier::Error run(CopyWorker *worker, const CopyRequest &request);

} // namespace CopyNodes
