// Connection points: advise order, cookies, enumeration, and sinks that unadvise during a call,
// on one thread and against a second thread.

#include "platform/com/ConnectionPoint.h"

#include "common/IOrvelCamControl.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

// A source with one dispinterface connection point, the way the live control fires events.
class Source final : public UnknownImpl<Source, IConnectionPointContainer> {
public:
    explicit Source(LiveCount* live) : UnknownImpl(live) {}
    HRESULT EnumConnectionPoints(IEnumConnectionPoints** pp) override
    {
        return m_points.enumerate(pp);
    }
    HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** pp) override
    {
        return m_points.find(riid, pp);
    }
    ConnectionPointImpl m_events{this, DIID__DCamImageEvents};
    ConnectionPointList m_points{&m_events};
};

// Records every event it receives into a shared log; can run an action during its call.
class Sink final : public UnknownImpl<Sink, _DCamImageEvents> {
public:
    Sink(LiveCount* live, int id, std::vector<int>* log) : UnknownImpl(live), m_id(id), m_log(log)
    {}
    ~Sink() override { m_destroyed->store(true); }
    HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT n, LCID, DISPID* ids) override
    {
        return dispatchGetIDsOfNames(DispatchTable<_DCamImageEvents>::members, riid, names, n, ids);
    }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        if (m_log)
            m_log->push_back(m_id * 100 + id);
        calls.fetch_add(1);
        if (during)
            during();
        return S_OK;
    }
    std::function<void()> during;
    std::atomic<int> calls{0};
    std::shared_ptr<std::atomic<bool>> m_destroyed = std::make_shared<std::atomic<bool>>(false);

private:
    int m_id;
    std::vector<int>* m_log;
};

class Plain final : public UnknownImpl<Plain, IConnectionPointContainer> {
public:
    HRESULT EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    HRESULT FindConnectionPoint(REFIID, IConnectionPoint**) override { return E_NOTIMPL; }
};

struct ConnectionPoints : ::testing::Test {
    void SetUp() override
    {
        source = ComPtr<Source>::attach(Source::createRaw(&live));
        ComPtr<IConnectionPointContainer> cpc = source.as<IConnectionPointContainer>();
        ASSERT_EQ(cpc->FindConnectionPoint(DIID__DCamImageEvents, cp.put()), S_OK);
    }
    ComPtr<Sink> sink(int id) { return ComPtr<Sink>::attach(Sink::createRaw(&live, id, &log)); }

    LiveCount live;
    std::vector<int> log;
    ComPtr<Source> source;
    ComPtr<IConnectionPoint> cp;
};

TEST_F(ConnectionPoints, SinksAreCalledInAdviseOrderWithIncreasingCookies)
{
    auto a = sink(1), b = sink(2), c = sink(3);
    DWORD ca = 0, cb = 0, cc = 0;
    ASSERT_EQ(cp->Advise(a.get(), &ca), S_OK);
    ASSERT_EQ(cp->Advise(b.get(), &cb), S_OK);
    ASSERT_EQ(cp->Advise(c.get(), &cc), S_OK);
    EXPECT_EQ(ca, 1u);
    EXPECT_EQ(cb, 2u);
    EXPECT_EQ(cc, 3u);
    source->m_events.fireDispatch(DISPID_OnNewImage);
    EXPECT_EQ(log, (std::vector<int>{101, 201, 301}));

    EXPECT_EQ(cp->Unadvise(cb), S_OK);
    EXPECT_EQ(cp->Unadvise(cb), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(cp->Unadvise(0), CONNECT_E_NOCONNECTION);
    DWORD again = 0;
    ASSERT_EQ(cp->Advise(b.get(), &again), S_OK);
    EXPECT_EQ(again, 4u); // never reused
    log.clear();
    source->m_events.fireDispatch(DISPID_OnConnectionFailed);
    EXPECT_EQ(log, (std::vector<int>{103, 303, 203}));

    // The enumeration lists the same connections, in order, with references of their own.
    ComPtr<IEnumConnections> e;
    ASSERT_EQ(cp->EnumConnections(e.put()), S_OK);
    CONNECTDATA cd[4] = {};
    ULONG fetched = 0;
    EXPECT_EQ(e->Next(4, cd, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 3u);
    EXPECT_EQ(cd[0].dwCookie, 1u);
    EXPECT_EQ(cd[1].dwCookie, 3u);
    EXPECT_EQ(cd[2].dwCookie, 4u);
    for (ULONG i = 0; i < fetched; ++i)
        cd[i].pUnk->Release();
    EXPECT_EQ(e->Next(2, cd, nullptr), E_POINTER);
    ComPtr<IEnumConnections> clone;
    ASSERT_EQ(e->Reset(), S_OK);
    ASSERT_EQ(e->Skip(2), S_OK);
    ASSERT_EQ(e->Clone(clone.put()), S_OK);
    ASSERT_EQ(clone->Next(1, cd, nullptr), S_OK);
    EXPECT_EQ(cd[0].dwCookie, 4u);
    cd[0].pUnk->Release();
    EXPECT_EQ(e->Skip(5), S_FALSE);
}

TEST_F(ConnectionPoints, ContainerIdentityAndBadArguments)
{
    IID iid{};
    EXPECT_EQ(cp->GetConnectionInterface(&iid), S_OK);
    EXPECT_EQ(iid, DIID__DCamImageEvents);
    ComPtr<IConnectionPointContainer> back;
    ASSERT_EQ(cp->GetConnectionPointContainer(back.put()), S_OK);
    EXPECT_EQ(back.get(), source.as<IConnectionPointContainer>().get());
    ComPtr<IConnectionPoint> none;
    EXPECT_EQ(back->FindConnectionPoint(IID_IDispatch, none.put()), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(back->FindConnectionPoint(DIID__DCamImageEvents, nullptr), E_POINTER);

    ComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(back->EnumConnectionPoints(points.put()), S_OK);
    IConnectionPoint* got[2] = {};
    ULONG n = 0;
    EXPECT_EQ(points->Next(2, got, &n), S_FALSE);
    ASSERT_EQ(n, 1u);
    EXPECT_EQ(got[0], cp.get());
    got[0]->Release();

    DWORD cookie = 77;
    EXPECT_EQ(cp->Advise(nullptr, &cookie), E_POINTER);
    EXPECT_EQ(cookie, 0u);
    auto a = sink(1);
    EXPECT_EQ(cp->Advise(a.get(), nullptr), E_POINTER);
    // An object without the outgoing interface cannot connect.
    auto plain = ComPtr<Plain>::attach(Plain::createRaw());
    EXPECT_EQ(cp->Advise(plain.get(), &cookie), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(source->m_events.count(), 0u);
}

TEST_F(ConnectionPoints, SinkUnadvisingItselfDuringItsCallIsKeptAliveUntilItReturns)
{
    DWORD ca = 0, cb = 0;
    std::shared_ptr<std::atomic<bool>> destroyed;
    {
        auto a = sink(1), b = sink(2);
        ASSERT_EQ(cp->Advise(a.get(), &ca), S_OK);
        ASSERT_EQ(cp->Advise(b.get(), &cb), S_OK);
        destroyed = a->m_destroyed;
        a->during = [this, &ca, destroyed] {
            EXPECT_EQ(cp->Unadvise(ca), S_OK);
            // The connection point's reference is gone; the call's own keeps the sink.
            EXPECT_FALSE(destroyed->load());
        };
        a.reset(); // the connection point now holds the only long-lived reference
    }
    source->m_events.fireDispatch(DISPID_OnNewImage);
    EXPECT_EQ(log, (std::vector<int>{101, 201})); // the next sink is still called
    EXPECT_TRUE(destroyed->load());               // released once its call returned
    source->m_events.fireDispatch(DISPID_OnNewImage);
    EXPECT_EQ(log, (std::vector<int>{101, 201, 201}));
    EXPECT_EQ(cp->Unadvise(cb), S_OK);
    cp.reset();
    source.reset();
    EXPECT_EQ(live.value(), 0); // every sink and the source are gone
}

TEST_F(ConnectionPoints, SinkAdvisedDuringAFireWaitsForTheNextOne)
{
    auto a = sink(1), late = sink(2);
    DWORD ca = 0, cl = 0;
    ASSERT_EQ(cp->Advise(a.get(), &ca), S_OK);
    a->during = [&] {
        if (!cl) {
            EXPECT_EQ(cp->Advise(late.get(), &cl), S_OK);
        }
    };
    source->m_events.fireDispatch(DISPID_OnNewImage);
    EXPECT_EQ(log, (std::vector<int>{101}));
    source->m_events.fireDispatch(DISPID_OnNewImage);
    EXPECT_EQ(log, (std::vector<int>{101, 101, 201}));
}

// One thread fires continuously while another advises and unadvises sinks, dropping its own
// reference right after Unadvise. A sink must never be called once released (ASan would see
// it) and neither side may block the other.
TEST_F(ConnectionPoints, AdviseAndUnadviseFromAnotherThreadDuringCalls)
{
    std::atomic<bool> stop{false};
    std::atomic<int> fires{0};
    std::thread firer([&] {
        while (!stop.load()) {
            source->m_events.forEach<IDispatch>([&](IDispatch* s) {
                s->Invoke(DISPID_OnNewImage, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr,
                          nullptr, nullptr);
            });
            fires.fetch_add(1);
        }
    });
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int rounds = 0;
    std::atomic<int> called{0};
    while (rounds < 300 && std::chrono::steady_clock::now() < deadline) {
        auto s = ComPtr<Sink>::attach(Sink::createRaw(&live, 9, nullptr));
        s->during = [&called] {
            called.fetch_add(1);
        };
        DWORD cookie = 0;
        ASSERT_EQ(cp->Advise(s.get(), &cookie), S_OK);
        // Let the firing thread reach this sink at least sometimes.
        int before = fires.load();
        while (fires.load() < before + 2 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::yield();
        ASSERT_EQ(cp->Unadvise(cookie), S_OK);
        s.reset();
        ++rounds;
    }
    stop.store(true);
    firer.join();
    EXPECT_EQ(rounds, 300);
    EXPECT_GT(called.load(), 0);
    EXPECT_EQ(source->m_events.count(), 0u);
}

} // namespace
