// The reachability test: the distribution store's bucket listing, then the Internet probe page.
#include "agent/verification_cycle.h"
#include "core/s3_client.h"
#include "deployment.h"

namespace zorvak::agent {

bool VerificationCycle::AbrirAWS() {
  bool result = false;
  log("i:Iniciando conexao");
  ports::HttpClientSettings bounds;
  bounds.totalTimeoutMs = ports::kRequestTotalTimeoutMs;
  const auto http = system_.http.connect(bounds);
  store::S3Client client(*http, system_.crypto, clock(), store::DistributionStore(agent_.storeProtocol()));
  store::ResponseInfo info;
  try {
    // A store that answers with a refusal (wrong keys, no such account) is no reachable store:
    // the listing must succeed, not merely be answered.
    if (!client.ListBuckets(info)) throw std::runtime_error(info.StatusMessage);
    log("i:conexão com AWS bem sucedida!");
    IdServer().Get(deployment::kProbeUrl);
    log("i:conectado a internet!");
    result = true;
  } catch (const std::exception&) {
    log(info.StatusCode == 200 ? "i:Abrindo conexão ao AWS (Loop de entrada)" : "i:Falha na conexão com a Nuvem!");
  }
  return result;
}

}  // namespace zorvak::agent
