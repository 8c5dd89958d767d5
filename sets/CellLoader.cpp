#include "sets/CellLoader.h"

#include <memory>

namespace wheel {

CellLoader::CellLoader(int threads)
    : m_queue(threads)
{
}

CellLoader::~CellLoader() = default;

std::uint64_t CellLoader::Start(const PictureSet& set, Ready ready, int previewSize)
{
    const auto shared = std::make_shared<const Ready>(std::move(ready));
    std::vector<WorkQueue::Task> tasks;
    for (int box = 1; box <= kSlotBoxes; ++box) {
        if (const std::optional<SetCell>& cell = set.Cell(box)) {
            tasks.push_back([shared, box, cell = *cell, mode48 = set.mode48, previewSize](std::uint64_t generation) {
                CellRendering rendering = RenderCell(cell, mode48, previewSize);
                return std::function<void()>(
                    [shared, generation, box, rendering = std::move(rendering)] { (*shared)(generation, box, rendering); });
            });
        }
    }
    return m_queue.Start(std::move(tasks));
}

void CellLoader::Cancel()
{
    m_queue.Cancel();
}

std::uint64_t CellLoader::Generation() const
{
    return m_queue.Generation();
}

bool CellLoader::WaitForIdle(std::chrono::milliseconds timeout)
{
    return m_queue.WaitForIdle(timeout);
}

} // namespace wheel
