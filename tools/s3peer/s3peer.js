// Local S3 peer for the tests: @20minutes/s3rver with our key pair, unsigned requests refused.
// Usage: node s3peer.js --modules DIR/node_modules --dir DATA --key ID --secret SECRET
//          [--port 0] [--bucket NAME]... [--put BUCKET/KEY=FILE]... [--tls-key F --tls-cert F]
// Prints one JSON line {"port": N} on stdout once it listens; ends when stdin closes.
'use strict'
const fs = require('node:fs')
const path = require('node:path')

const opts = { bucket: [], put: [], port: '0' }
const argv = process.argv.slice(2)
for (let i = 0; i < argv.length; i += 2) {
  const name = argv[i].replace(/^--/, '').replace(/-(.)/g, (_, c) => c.toUpperCase())
  if (Array.isArray(opts[name])) opts[name].push(argv[i + 1])
  else opts[name] = argv[i + 1]
}

const root = path.join(opts.modules, '@20minutes', 's3rver')
const S3rver = require(root)
const AWSAccount = require(path.join(root, 'lib', 'models', 'account'))
const S3Object = require(path.join(root, 'lib', 'models', 'object'))

AWSAccount.DUMMY_ACCOUNT.revokeAccessKey('S3RVER')
AWSAccount.DUMMY_ACCOUNT.createKeyPair(opts.key, opts.secret)

const tls = opts.tlsKey ? { key: fs.readFileSync(opts.tlsKey), cert: fs.readFileSync(opts.tlsCert) } : {}
const server = new S3rver({
  address: '127.0.0.1',
  port: Number(opts.port),
  directory: opts.dir,
  silent: true,
  configureBuckets: opts.bucket.map((name) => ({ name })),
  ...tls,
})

// s3rver lets a request without any signature through as anonymous; the real store does not
// for a private bucket, and a signer that forgot to sign must fail here too.
server.middleware.unshift(async (ctx, next) => {
  const signed = 'authorization' in ctx.headers || 'x-amz-signature' in ctx.query || 'signature' in ctx.query
  if (signed) return next()
  ctx.status = 403
  ctx.type = 'application/xml'
  ctx.body = '<?xml version="1.0" encoding="UTF-8"?>\n<Error><Code>AccessDenied</Code><Message>Access Denied</Message></Error>'
})

async function main() {
  const address = await server.run()
  for (const spec of opts.put) {
    const eq = spec.indexOf('=')
    const [bucket, ...key] = spec.slice(0, eq).split('/')
    const file = spec.slice(eq + 1)
    await server.store.putObject(new S3Object(bucket, key.join('/'), fs.createReadStream(file), {
      'content-type': 'application/octet-stream',
    }))
  }
  process.stdout.write(JSON.stringify({ port: address.port }) + '\n')
}

process.stdin.on('end', () => process.exit(0))
process.stdin.resume()
main().catch((err) => {
  process.stderr.write(String(err && err.stack ? err.stack : err) + '\n')
  process.exit(1)
})
