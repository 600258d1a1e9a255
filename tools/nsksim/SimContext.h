// What every client session shares: the options, the network and the
// transcript. Owned by main(); outlives the server and all sessions.
#pragma once

class Network;
class Transcript;
struct SimOptions;

struct SimContext {
  const SimOptions& options;
  Network& network;
  Transcript& transcript;
};
